#include "app/Unit1.h"
#include "framework/core/Exception.h"
#include "framework/gui/Application.h"

#include <exception>

// The command line carries no options: Qt is given only the program name.
int main()
{
    try {
        Application->Initialize();
        Application->CreateForm(Form1);
        Application->Run();
    } catch (const Exception& E) {
        Application->ShowException(E);
    } catch (const std::exception& E) {
        // Lack of memory included: reported, never a crash.
        Application->ShowException(E);
    }
    return 0;
}
