#pragma once

// Qt's message handlers for a display that cannot be reached or is lost.
// Each ends the process with exit status 1 and plain lines on stderr (what
// failed, and for no display what would help) where Qt would dump core or
// leave it to exit() and Xlib; every other
// message goes on to the handler that was installed before.

// While the QApplication is made: Qt ends the process with abort() and a core
// dump when it cannot reach a display; say why plainly, and what would help.
// Keeps the handler it replaces for RestoreMessageHandler.
void InstallNoDisplayHandler() noexcept;

// Once the QApplication is made: replaces the handler above with one that
// ends the process when Qt warns that the display connection broke.
void InstallDisplayLossHandler() noexcept;

// Puts back the handler that InstallNoDisplayHandler replaced.
void RestoreMessageHandler() noexcept;
