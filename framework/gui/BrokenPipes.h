#pragma once

// The X connection is a socket that Xlib and xcb write to with writev: a
// write after the server has gone would end the process with SIGPIPE before
// Qt sees the broken connection and the program says so. With the signal
// caught the write fails with EPIPE instead, and Qt goes on to report it. A
// handler, unlike ignoring the signal, is not passed on to programs started
// from here.
void CatchBrokenPipes() noexcept;
