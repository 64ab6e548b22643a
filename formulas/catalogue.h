#pragma once
// The indicator catalogue: user indicators (Формулы, in the order of Nпп) and
// predefined indicators (ФлыПредопрПок, in the order of their short names), read
// from the calculation file. Lookups by short name compare exactly.
#include <QString>
#include <QVariant>
#include <vector>

namespace volm {

class Database;

struct Indicator {
    QString shortName;        // НаимПокСокр
    QVariant fullName;        // НаимПок (Null allowed)
    bool table = false;       // Табл: column of Табл (true) or of Заг (false)
    bool userEntered = false; // ВводПольз
    QString formula;          // Формула as stored ("" when Null)
    bool inReport = false;    // ВывВОтчТабл
    bool onePipe = true;      // ИспПриРасч1трТС (predefined only)
    bool twoPipe = true;      // ИспПриРасч2трТС (predefined only)
    bool afterHeads = false;  // ПослеНапоров (user only): computed once the heads are known
};

struct Catalogue {
    std::vector<Indicator> user;        // Формулы, "Nпп ASC"
    std::vector<Indicator> predefined;  // ФлыПредопрПок, "НаимПокСокр ASC"

    const Indicator* findUser(const QString& shortName) const;
    const Indicator* findPredefined(const QString& shortName) const;
    // User indicators first, then predefined ones.
    const Indicator* find(const QString& shortName) const;

    // Reads both tables of an open calculation file.
    static Catalogue load(Database& gr);
};

// ZagruzitPokazatel: the full name and the formula text (comments removed) of
// an indicator; two empty texts for a name found nowhere. ПНапНаУзПод and
// РНапНаУз get full names that name their node (nodes from НазвРасч).
struct LoadedIndicator {
    QString fullName;
    QString formula;
};
LoadedIndicator ZagruzitPokazatel(const Catalogue& catalogue, const QString& shortName,
                                  const QVariant& supplyHeadNode, const QVariant& availableHeadNode);

}  // namespace volm
