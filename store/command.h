#pragma once
// The standard error report and the guarded run of a command's steps.
// A command sets its error context before each step; an exception that escapes
// a step ends the command: the abort exception silently, any other one with the
// standard error report naming the last context set.
#include "store/errors.h"
#include "store/finally.h"
#include "store/person.h"
#include <QString>
#include <concepts>
#include <exception>
#include <utility>

namespace volm {

// The four lines of the report, joined by the single character 13.
QString standardReport(const QString& context, const QString& className, const QString& message);

struct ErrorContext {
    QString text;
    void operator=(const QString& t) { text = t.left(255); }
};

// The catch-and-report wrapper of every command: runs body(ctx); returns true
// when it ran to its end. A failure is told through tell(text): with the four
// lines of the standard report once body has named its step in ctx, in the
// failure's own words while it has not; a stop (Abort) silently.
template <typename Tell, typename Body>
    requires std::invocable<Tell&, const QString&>
bool runReported(Tell&& tell, Body&& body) {
    ErrorContext ctx;
    try {
        body(ctx);
        return true;
    } catch (const Abort&) {
    } catch (const std::exception& e) {
        if (ctx.text.isEmpty()) {
            tell(failureText(e));
            return false;
        }
        if (const auto* err = dynamic_cast<const Error*>(&e))
            tell(standardReport(ctx.text, err->className(), err->message()));
        else
            tell(standardReport(ctx.text, QStringLiteral("Exception"), QString::fromUtf8(e.what())));
    }
    return false;
}

// The same, told to the person in a message box.
template <typename Body>
bool runReported(Person& person, Body&& body) {
    return runReported([&person](const QString& text) { person.message(text); }, std::forward<Body>(body));
}

}  // namespace volm
