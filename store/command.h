#pragma once
// The standard error report and the guarded run of a command's steps.
// A command sets its error context before each step; an exception that escapes
// a step ends the command: the abort exception silently, any other one with the
// standard error report naming the last context set.
#include "store/errors.h"
#include "store/person.h"
#include <QString>
#include <exception>

namespace volm {

// The four lines of the report, joined by the single character 13.
QString standardReport(const QString& context, const QString& className, const QString& message);

struct ErrorContext {
    QString text;
    void operator=(const QString& t) { text = t.left(255); }
};

// Runs body(ctx); returns true when it ran to its end.
template <typename Body>
bool runReported(Person& person, Body&& body) {
    ErrorContext ctx;
    try {
        body(ctx);
        return true;
    } catch (const Abort&) {
    } catch (const Error& e) {
        person.message(standardReport(ctx.text, e.className(), e.message()));
    } catch (const std::exception& e) {
        person.message(standardReport(ctx.text, QStringLiteral("Exception"), QString::fromUtf8(e.what())));
    }
    return false;
}

// Runs f however the enclosing scope ends.
template <typename F>
class Finally {
public:
    explicit Finally(F f) : f_(std::move(f)) {}
    ~Finally() { f_(); }
    Finally(const Finally&) = delete;
    Finally& operator=(const Finally&) = delete;

private:
    F f_;
};

}  // namespace volm
