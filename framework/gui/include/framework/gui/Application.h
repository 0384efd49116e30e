#pragma once

#include "framework/gui/Classes.h"
#include "framework/gui/FormLayout.h"
#include "framework/gui/Forms.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>

// The program's application object: it owns the forms, runs the event loop
// and reports exceptions to the user.
class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    // Starts the GUI. With no display to show windows on it says so on stderr
    // and ends the process with exit status 1.
    void Initialize();

    // Builds a form of class T from its layout (found as FormLayoutOf(T*)),
    // stores it in `reference`, then raises its OnCreate. The first form
    // made is the main form. The application owns the form.
    template <class T>
    void CreateForm(T*& reference)
    {
        std::unique_ptr<T> form = NewForm<T>(this);
        reference = form.get();
        AdoptForm(std::move(form));
        reference->DoCreate();
    }

    // Shows the main form and runs the event loop until it is closed; then
    // destroys the forms and shuts the GUI down (Finalize).
    void Run();

    // Destroys the forms, then the GUI, while Qt's own statics still live.
    // Run does it; a program that never calls Run calls it before main returns.
    void Finalize() noexcept;

    // Shows the exception's message in a modal error box.
    void ShowException(const std::exception& E);

    // Reports the exception being handled, through OnException when set, else
    // ShowException, once control is back in the event loop. Call it only
    // from a catch block.
    void HandleException(TObject* Sender);

    // When set, replaces the error box for exceptions from event handlers.
    std::function<void(TObject* Sender, const std::exception& E)> OnException;

    TForm* MainForm() const noexcept { return mainForm_; }

private:
    void AdoptForm(std::unique_ptr<TForm> form);
    void Report(TObject* Sender, std::exception_ptr error);

    TForm* mainForm_ = nullptr;
    struct QtState;
    std::unique_ptr<QtState> qt_;
};

// The one application object.
extern TApplication* Application;

// The message a user is shown for `E`.
std::string ExceptionMessage(const std::exception& E);
