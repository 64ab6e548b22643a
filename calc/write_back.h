#pragma once
// Writing what the stages changed back to the calculation file: the changed
// columns of Заг and of every changed row of Табл, and the rebuilt tables
// МагистралиТС, КонМаг and СписокРасчУчастков, with prepared statements inside
// the run's transaction.
namespace volm::calc {

struct RunData;

void writeBack(RunData& d);

}  // namespace volm::calc
