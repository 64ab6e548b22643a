#pragma once
// The tables of the regime checks in a calculation file: ПроверкиРежима (the
// person's rules on indicators) and ПределыНапоров (the limits of the built-in
// head rules, one row). Opening a file never changes it: a file written before
// the tables is checked with no rules and the default limits, and gets the
// tables (the rules empty, the limits at their defaults) when the rules are
// first edited.
namespace volm {

class Database;

// Creates what is missing; a file that cannot be written is left as it is (the
// checks then run with no rules and the default limits).
void ensureRegimeTables(Database& db);

}  // namespace volm
