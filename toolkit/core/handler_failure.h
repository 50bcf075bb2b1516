#pragma once

// A handler that the toolkit calls where no code of the program is there to
// catch its failure (a serial line event handed over from the event thread,
// say) has the failure shown the way the application shows any failed
// handler. The application installs that way; until it does (tools, tests
// without one) the failure is shown in an error box titled "Error".

#include <exception>
#include <functional>
#include <string>

// What the box says: the exception's message, or "Unknown exception".
std::string ExceptionMessage(const std::exception_ptr& error);

// Window thread; show it outside a catch block, as a box runs an event loop.
void ReportHandlerFailure(const std::exception_ptr& error);

// Window thread; empty goes back to the error box.
void SetHandlerFailureReport(std::function<void(const std::exception_ptr&)> report);
