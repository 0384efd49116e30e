#include "app/Unit1.h"
#include "framework/core/Exception.h"
#include "framework/gui/Application.h"

#include <cstdlib>
#include <exception>

// The command line carries no options: Qt is given only the program name.
// A start that fails is shown and ends with a failure status; closing the
// window ends with 0.
int main()
{
    try {
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
