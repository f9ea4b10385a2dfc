"""A finding of a configuration check."""

from typing import NamedTuple


class Finding(NamedTuple):
    """One thing the check found in a configuration.

    severity: "error" (a statement the library does not read as written, or
    one that keeps the configuration from loading) or "warning" (what loads
    but may surprise); text: "config" (the preset, file or text) or "extra";
    line: the line in that text, 1 for the first, 0 for the text as a whole;
    statement: as written, without its ';'; message: one sentence.
    """
    severity: str
    text: str
    line: int
    statement: str
    message: str

    def __str__(self):
        where = f"{self.text} text" + (f", line {self.line}" if self.line else "")
        statement = f' "{self.statement}"' if self.statement else ""
        return f"{self.severity}: {where}:{statement} {self.message}"
