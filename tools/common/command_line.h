// The command line of a tool, parsed by CLI11 the same way in every tool:
// a usage error is one line naming the tool, what is wrong and where help
// is, with exit status 2; --help prints the help with exit status 0.
#pragma once

#include <CLI/CLI.hpp>

namespace tesselog {

// Parses argv into the options of `app`. Returns -1 when the tool goes on,
// or the exit status the tool ends with (after --help or a usage error).
inline int ParseToolCommandLine(CLI::App& app, int argc, char** argv) {
    app.failure_message([](const CLI::App* failed, const CLI::Error& e) {
        return failed->get_name() + ": " + e.what() + " (see --help)\n";
    });
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }
    return -1;
}

}  // namespace tesselog
