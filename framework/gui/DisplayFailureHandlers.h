#pragma once

// What the program does when the display cannot be reached or is lost. Qt's
// message handlers end the process with exit status 1 and plain lines on
// stderr (what failed, and for no display what would help) where Qt would
// dump core or leave it to exit() and Xlib; every other message goes on to
// the handler that was installed before.

// While the QApplication is made: Qt ends the process with abort() and a core
// dump when it cannot reach a display; say why plainly, and what would help.
// Keeps the handler it replaces for RestoreMessageHandler.
void InstallNoDisplayHandler() noexcept;

// Once the QApplication is made: replaces the handler above with one that
// ends the process when Qt warns that the display connection broke.
void InstallDisplayLossHandler() noexcept;

// Puts back the handler that InstallNoDisplayHandler replaced.
void RestoreMessageHandler() noexcept;

// The X connection is a socket that Xlib and xcb write to with writev: a
// write after the server has gone would end the process with SIGPIPE before
// Qt sees the broken connection and the program says so. With the signal
// caught the write fails with EPIPE instead, and Qt goes on to report it. A
// handler, unlike ignoring the signal, is not passed on to programs started
// from here.
void CatchBrokenPipes() noexcept;
