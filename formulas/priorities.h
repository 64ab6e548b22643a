#pragma once
// The evaluation order: the rows of ПриоритетыЗаг and ПриоритетыТабл worked out
// from the catalogue and the dependency pairs, with the placement passes.
// Priority 0: a value not computed by formula; 1, 2, ...: the evaluation rank;
// -1: a formula that could not be placed.
#include "formulas/catalogue.h"
#include <QString>
#include <optional>
#include <vector>

namespace volm {

struct PriorityRow {
    QString name;
    int priority = 0;
};

// The pairs (indicator, indicator it references), each pair once, in the order added.
class Dependencies {
public:
    void add(const QString& indicator, const QString& dependsOn);
    void clear() { pairs_.clear(); }
    bool has(const QString& indicator) const;
    std::vector<QString> of(const QString& indicator) const;
    const std::vector<std::pair<QString, QString>>& pairs() const { return pairs_; }

private:
    std::vector<std::pair<QString, QString>> pairs_;
};

struct Placement {
    std::vector<PriorityRow> rows;  // in table order, as written to the file
    std::optional<QString> error;   // the check's message when some cannot be placed
};

// The header order (ПриоритетыЗаг): the dependency pairs of the computed user
// header indicators are collected here.
Placement placeHeader(const Catalogue& catalogue, bool twoPipe);
// The table order (ПриоритетыТабл).
Placement placeTable(const Catalogue& catalogue, bool twoPipe);

}  // namespace volm
