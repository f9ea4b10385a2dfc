// varnel: separates RGB images into ink channels with the varnel library.
#include "Commands.h"
#include "InterruptCleanup.h"
#include "ToolError.h"

#include <varnel/separation.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

namespace {

const char kUsage[] =
    "usage: varnel COMMAND [ARGUMENTS]\n"
    "\n"
    "Separates RGB images into ink channels for printers with 4 to 8 inks.\n"
    "\n"
    "commands:\n"
    "  presets     list the built-in presets with their inks\n"
    "  show        print a preset's configuration text\n"
    "  check       list what the library would misread in a configuration\n"
    "  pixel       separate one colour and print its ink amounts\n"
    "  separate    separate an image into a multi-ink TIFF, plates and a proof\n"
    "  chart       draw a picture of what a configuration does\n"
    "  testchart   generate a colour test chart to try configurations on\n"
    "\n"
    "'varnel COMMAND --help' describes each command; 'varnel --version' gives\n"
    "the version of the tool and its library.\n";

struct Command {
    const char* name;
    int (*run)(const varnel_tool::Arguments&);
};

const Command kCommands[] = {
    {"presets", &varnel_tool::runPresets},   {"show", &varnel_tool::runShow},
    {"check", &varnel_tool::runCheck},
    {"pixel", &varnel_tool::runPixel},       {"separate", &varnel_tool::runSeparate},
    {"chart", &varnel_tool::runChart},       {"testchart", &varnel_tool::runTestChart},
};

// Messages are one line: a line break inside one (from a library message,
// say) would break tools that read the first line of stderr.
void printError(const char* message) {
    std::fputs("varnel: ", stderr);
    for (const char* c = message; *c != '\0'; ++c) std::fputc(*c == '\n' || *c == '\r' ? ' ' : *c, stderr);
    std::fputc('\n', stderr);
}

// Runs one command and turns its failure into one line and an exit status.
int runCommand(const char* name, const varnel_tool::Arguments& args) {
    try {
        for (const Command& command : kCommands) {
            if (std::strcmp(name, command.name) == 0) return command.run(args);
        }
        throw varnel_tool::UsageError(std::string("unknown command '") + name + "' (varnel --help lists them)");
    } catch (const varnel_tool::UsageError& error) {
        printError(error.what());
        return 2;
    } catch (const varnel_tool::ToolError& error) {
        printError(error.what());
        return 1;
    } catch (const std::bad_alloc&) {
        printError("out of memory");
        return 1;
    } catch (const std::exception& error) {
        printError(error.what());
        return 1;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const char* name = argv[1];
    if (std::strcmp(name, "--help") == 0 || std::strcmp(name, "-h") == 0 || std::strcmp(name, "help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (std::strcmp(name, "--version") == 0) {
        // The library's version: the tool is released with it.
        std::printf("varnel %s\n", varnel_version_text());
        return 0;
    }
    varnel_tool::InterruptCleanup::install();
    const varnel_tool::Arguments args(argv + 2, argv + argc);
    const int status = runCommand(name, args);
    varnel_tool::InterruptCleanup::removeEmptyFolders();
    return status;
}
