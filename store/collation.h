#pragma once
// The alphabetical order of texts as the program's users know it from their
// dictionaries: letters in the order of the Russian alphabet, capital and small
// letters alike, Ё together with Е (a word with Ё follows the same word with Е).
// Every connection the program opens knows this order under kAlphabetical, and
// every sort the program sets on a text column uses it.
#include <QString>
#include <QStringView>
#include <string_view>

struct sqlite3;

namespace volm {

inline constexpr char kAlphabetical[] = "ALPHABETICAL";

// Negative, zero or positive as a comes before, together with or after b.
int compareAlphabetical(QStringView a, QStringView b);
// The same over UTF-8 bytes, as the database hands them over.
int compareAlphabeticalUtf8(std::string_view a, std::string_view b);

// An ORDER BY term on a text column: the column followed by the collation.
QString alphabeticalTerm(const QString& column);

// Makes the order known to a connection; false when the engine refuses it.
bool registerAlphabetical(sqlite3* db);

}  // namespace volm
