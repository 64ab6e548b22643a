// Reading, parsing and rendering report definitions.
#include "output/report_definition.h"

#include "output/report_context.h"
#include "output/report_data.h"

#include <QFile>
#include <QFileInfo>

namespace volm::report {

struct Definition::Impl {
    QString fileName;
    kainjow::mustache::mustache tmpl;
    explicit Impl(const std::string& text, QString name) : fileName(std::move(name)), tmpl(text) {}
};

QString definitionFileName(int networkType) { return QString::number(networkType) + QStringLiteral(".rav"); }

Definition::Definition(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Definition::Definition(Definition&&) noexcept = default;
Definition& Definition::operator=(Definition&&) noexcept = default;
Definition::~Definition() = default;

Definition Definition::load(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    if (!QFileInfo(full).isFile())
        throw ReportError(QStringLiteral("Не найден файл описания отчета \"") + full + QStringLiteral("\"."));
    QFile f(full);
    if (!f.open(QIODevice::ReadOnly))
        throw ReportError(QStringLiteral("Не удается прочитать файл описания отчета \"") + full +
                          QStringLiteral("\": ") + f.errorString());
    const QByteArray bytes = f.readAll();
    return parse(std::string(bytes.constData(), size_t(bytes.size())), full);
}

Definition Definition::parse(const std::string& text, const QString& fileName) {
    auto impl = std::make_unique<Impl>(text, fileName);
    if (!impl->tmpl.is_valid())
        throw ReportError(QStringLiteral("Ошибка в файле описания отчета \"") + fileName + QStringLiteral("\": ") +
                          QString::fromStdString(impl->tmpl.error_message()));
    return Definition(std::move(impl));
}

namespace {

// Collects the rendered text without an intermediate stream; the tick comes
// every few thousand pieces.
struct Sink {
    std::string& out;
    const std::function<void()>& tick;
    unsigned pieces = 0;
    Sink& operator<<(const std::string& s) {
        out += s;
        if (tick && ++pieces % 4096 == 0) tick();
        return *this;
    }
};

}  // namespace

std::string Definition::render(const ReportData& data, const std::function<void()>& tick) const {
    ReportContext ctx(data, tick);
    std::string out;
    Sink sink{out, tick};
    impl_->tmpl.render(ctx, sink);
    if (!impl_->tmpl.is_valid())
        throw ReportError(QStringLiteral("Ошибка в файле описания отчета \"") + impl_->fileName +
                          QStringLiteral("\": ") + QString::fromStdString(impl_->tmpl.error_message()));
    return out;
}

}  // namespace volm::report
