#pragma once

#include "framework/gui/Classes.h"
#include "framework/gui/FormLayout.h"
#include "framework/gui/Forms.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>

// The program's application object: it owns the forms, runs the event loop
// and reports exceptions to the user. The one instance is never destroyed
// (its destructor is private): the GUI is shut down by Run (or Finalize), in
// the code path that asked for it, never from a destructor or by exit(),
// which Qt may call itself when the display goes.
class TApplication : public TComponent {
public:
    TApplication();

    // Starts the GUI and chooses the display character set. With no display
    // to show windows on it says so on stderr and ends the process with exit
    // status 1.
    void Initialize();

    // Builds a form of class T from its layout (found as FormLayoutOf(T*)),
    // stores it in `reference`, then raises its OnCreate. The first form
    // made is the main form. The application owns the form. If building
    // throws, no form is kept and `reference` is left as it was.
    template <class T>
    void CreateForm(T*& reference)
    {
        std::unique_ptr<T> form = NewForm<T>(this);
        T* created = form.get();
        AdoptForm(std::move(form));
        reference = created;
        created->DoCreate();
    }

    // Shows the main form and runs the event loop until it is closed; then
    // destroys the forms and shuts the GUI down (Finalize).
    void Run();

    // Destroys the forms, newest first, then the GUI; reports still waiting
    // for the event loop go to stderr. Run does it; a program that never
    // calls Run calls it before main returns.
    void Finalize() noexcept;

    // Shows the exception's message in a modal error box; where no box can
    // be shown, on stderr.
    void ShowException(const std::exception& E) noexcept;

    // Reports the exception being handled, through OnException when set, else
    // ShowException, once control is back in the event loop. Call it only
    // from a catch block. It allocates nothing: a report that finds no room
    // reserved for it goes to stderr at once.
    void HandleException(TObject* Sender) noexcept;

    // When set, replaces the error box for exceptions from event handlers.
    std::function<void(TObject* Sender, const std::exception& E)> OnException;

    TForm* MainForm() const noexcept { return mainForm_; }

private:
    ~TApplication() override;

    void AdoptForm(std::unique_ptr<TForm> form);
    void Report(TObject* Sender, const std::exception_ptr& error) noexcept;
    void ReportPending() noexcept;

    TForm* mainForm_ = nullptr;
    struct QtState;
    std::unique_ptr<QtState> qt_;
};

// The one application object.
extern TApplication* Application;

// The message a user is shown for `E`.
std::string ExceptionMessage(const std::exception& E);
