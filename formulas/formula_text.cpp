#include "formulas/formula_text.h"

#include "formulas/cp1251.h"

namespace volm {

std::string udalitKommentarii(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    bool inComment = false;
    for (char c : bytes) {
        if (inComment) {
            if (c == ']') inComment = false;
        } else if (c == '[') {
            inComment = true;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

QString UdalitKommentarii(const QString& text) {
    QString out;
    out.reserve(text.size());
    bool inComment = false;
    for (QChar c : text) {
        if (inComment) {
            if (c == QLatin1Char(']')) inComment = false;
        } else if (c == QLatin1Char('[')) {
            inComment = true;
        } else {
            out.append(c);
        }
    }
    return out;
}

std::string formulaBytes(const QString& stored) {
    std::string b = cp1251::fromUnicode(stored);
    if (b.size() > size_t(kFormulaTextLimit)) b.resize(size_t(kFormulaTextLimit));
    return udalitKommentarii(b);
}

QString formulaText(const QString& stored) { return cp1251::toUnicode(formulaBytes(stored)); }

std::string normaliseFormula(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        if (c == ' ') continue;
        out.push_back(c == ',' ? '.' : c);
    }
    return out;
}

QString errorContext(const QString& shortName, const SectionNodes* section) {
    QString ctx;
    if (section)
        ctx = QStringLiteral("Участок %1 - %2:\r").arg(section->startNode).arg(section->endNode);
    ctx += QStringLiteral("Ошибка при расчете показателя \"") + shortName + QStringLiteral("\":\r\r");
    return ctx.left(255);
}

}  // namespace volm
