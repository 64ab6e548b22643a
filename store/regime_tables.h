#pragma once
// The tables of the regime checks in a calculation file: ПроверкиРежима (the
// person's rules on indicators) and ПределыНапоров (the limits of the built-in
// head rules, one row). A file written before them gets them when opened: the
// rules empty, the limits at their defaults.
namespace volm {

class Database;

// Creates what is missing; a file that cannot be written is left as it is (the
// checks then run with no rules and the default limits).
void ensureRegimeTables(Database& db);

}  // namespace volm
