"""The exception of the varnel module."""


class VarnelError(Exception):
    """A failure of the library or of a call into it.

    status is the library's status number (-1 for a bad argument, -2 for an
    unknown preset, ...), status_name its constant name ("VARNEL_ERROR_NOT_FOUND")
    and message the sentence that says what failed.
    """

    def __init__(self, status, status_name, message):
        super().__init__(f"{message} ({status_name}, {status})")
        self.status = status
        self.status_name = status_name
        self.message = message

    # Errors raised on a Dask worker travel back pickled: rebuild them from
    # the three fields, not from the formatted text.
    def __reduce__(self):
        return (type(self), (self.status, self.status_name, self.message))
