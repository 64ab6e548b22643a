#pragma once
// A report definition: a text template (mustache) that the report fills with
// the report data and that yields the rich-text (HTML) document to lay out.
// The definitions live in the program folder as "0.rav" (one-pipe network) and
// "1.rav" (two-pipe network); a user may edit them. help/report.html lists the
// names a definition can use.
#include "store/errors.h"

#include <QString>
#include <functional>
#include <memory>
#include <string>

namespace volm::report {

struct ReportData;

// A definition that cannot be used: the file is missing or unreadable, or its
// text does not parse. The message names the file.
class ReportError : public Error {
public:
    explicit ReportError(QString message) : Error(QStringLiteral("EReportError"), std::move(message)) {}
};

// The definition's file name for a network type: "0.rav" or "1.rav".
QString definitionFileName(int networkType);

class Definition {
public:
    // Reads and parses a definition file (UTF-8). Throws ReportError.
    static Definition load(const QString& path);
    // Parses a definition text; fileName goes into the error message.
    static Definition parse(const std::string& text, const QString& fileName);

    Definition(Definition&&) noexcept;
    Definition& operator=(Definition&&) noexcept;
    ~Definition();

    // The document (HTML) for the data. Throws ReportError when rendering fails.
    // tick is called now and then while a long document is written (it may
    // throw to stop).
    std::string render(const ReportData& data, const std::function<void()>& tick = {}) const;

private:
    struct Impl;
    explicit Definition(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace volm::report
