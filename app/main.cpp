#include "app/CommandLine.h"
#include "app/Unit1.h"
#include "framework/core/Exception.h"
#include "framework/core/GnuProgram.h"
#include "framework/core/TextCodec.h"
#include "framework/gui/Application.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>

// The command line is answered before Initialize, so --help and --version
// need no display; Qt is given only the program name. A start that fails is
// shown and ends with a failure status; closing the window ends with 0.
int main(int argc, char** argv)
{
    if (const std::optional<int> status = AnswerCommandLine(argc, argv, stdout, stderr))
        return *status;
    try {
        // Chosen now, so that a character set iconv does not know is said once, at start.
        if (const std::string warning = DisplayCharsetWarning(); !warning.empty())
            PrintDiagnostic(Stockpicker.name, warning, stderr);
        Application->Initialize();
        Application->CreateForm(Form1);
        Application->Run();
    } catch (const Exception& E) {
        Application->ShowException(E);
        return EXIT_FAILURE;
    } catch (const std::exception& E) {
        // Lack of memory included: reported, never a crash.
        Application->ShowException(E);
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
