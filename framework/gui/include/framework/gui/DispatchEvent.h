#pragma once

#include "framework/gui/Classes.h"

// Reports the exception being handled through the application object, as
// TApplication::HandleException does. Call it only from a catch block.
void HandleEventException(TObject* Sender);

// Runs an event handler, reporting what it throws through the application.
template <class Handler>
void DispatchEvent(TObject* Sender, Handler&& handler) noexcept
{
    try {
        handler();
    } catch (...) {
        HandleEventException(Sender);
    }
}
