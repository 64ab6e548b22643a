#include "data/tool/sql_script.h"

#include <stdexcept>

namespace volm::mkdata {

std::vector<ScriptStatement> splitScript(const QString& script)
{
    std::vector<ScriptStatement> out;
    QString cur;
    int line = 1;
    int startLine = 0;      // line of the first significant character of cur
    QChar open;             // the quote or bracket we are inside, or null
    int openLine = 0;

    auto finish = [&] {
        const QString t = cur.trimmed();
        if (!t.isEmpty())
            out.push_back({t, startLine});
        cur.clear();
        startLine = 0;
    };

    const int n = int(script.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = script[i];
        if (c == u'\n')
            ++line;
        if (!open.isNull()) {
            cur += c;
            const QChar close = open == u'[' ? QChar(u']') : open;
            if (c == close) {
                if (open != u'[' && i + 1 < n && script[i + 1] == close) {
                    cur += script[++i];   // a doubled quote stays inside the literal
                } else {
                    open = QChar();
                }
            }
            continue;
        }
        if (c == u'-' && i + 1 < n && script[i + 1] == u'-') {
            while (i + 1 < n && script[i + 1] != u'\n')
                ++i;
            continue;
        }
        if (c == u';') {
            finish();
            continue;
        }
        if (startLine == 0 && !c.isSpace())
            startLine = line;
        if (c == u'\'' || c == u'"' || c == u'[') {
            open = c;
            openLine = line;
        }
        cur += c;
    }
    if (!open.isNull())
        throw std::runtime_error(QStringLiteral("line %1: %2 is not closed")
                                     .arg(openLine).arg(open).toStdString());
    finish();
    return out;
}

}  // namespace volm::mkdata
