// vellacord-convert: RCP-family songs to Standard MIDI Files from the command line.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Run.h"
#include "cli/System.h"
#include "cli/Text.h"

int main(int argc, char** argv) {
    cli::Arguments arguments;
    try {
        arguments = cli::ParseArguments(cli::CommandLineWords(argc, argv));
    } catch (const cli::UsageError& error) {
        // One line for a wrong word; the whole usage when nothing was given at all.
        const std::string message = std::string("vellacord-convert: ") + error.what();
        cli::WriteText(stderr, argc == 1 ? message + "\n" + cli::UsageText()
                                         : message + " (--help shows the usage)\n");
        return cli::kExitUsage;
    }
    switch (arguments.mode) {
        case cli::Mode::Help:
            std::fputs(cli::UsageText(), stdout);
            return cli::kExitOk;
        case cli::Mode::Info:
            return cli::RunInfo(arguments);
        case cli::Mode::Convert:
            if (!arguments.outDir.empty()) return cli::RunBatch(arguments);
            return arguments.knifeConfig.empty() ? cli::RunConvert(arguments)
                                                 : cli::RunKnife(arguments);
    }
    return cli::kExitUsage;
}
