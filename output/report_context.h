#pragma once
// The names a report definition reads, as a mustache context over the report
// data. Small things (the single rows, the indicator lists, the mains) are
// built when the context is made; the section rows are read from the data only
// while the definition renders them, so that a network of tens of thousands of
// sections costs no more than the text it produces.
#include <kainjow/mustache.hpp>

#include <deque>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace volm::report {

struct ReportData;

using MData = kainjow::mustache::data;

class ReportContext : public kainjow::mustache::basic_context<std::string> {
public:
    // tick is called now and then while the context is made and the rows are
    // read (it may throw to stop).
    explicit ReportContext(const ReportData& data, std::function<void()> tick = {});
    ReportContext(const ReportContext&) = delete;
    ReportContext& operator=(const ReportContext&) = delete;

    void push(const MData* data) override;
    void pop() override;
    const MData* get(const std::string& name) const override;
    const MData* get_partial(const std::string& name) const override;

    // At most this many indicator columns in one part of the section table.
    static constexpr int kColumnsPerPart = 16;

private:
    // A list of section rows resolved on demand: the markers stand for the rows,
    // [firstColumn, endColumn) are the marked columns its "Значения" gives.
    struct RowList {
        const MData* begin = nullptr;
        size_t size = 0;
        int firstColumn = 0;
        int endColumn = 0;
    };
    const MData* lookUp(const MData* item, const std::string& name) const;
    const MData* sectionValue(const RowList& list, size_t row, const std::string& name) const;
    const MData* keep(MData value) const;
    void registerRows(const MData& list, int firstColumn, int endColumn);

    void tickEvery(size_t i) const {
        if (tick_ && i % 256 == 255) tick_();
    }

    const ReportData& d_;
    std::function<void()> tick_;
    MData root_;
    std::vector<RowList> rowLists_;
    std::unordered_map<std::string, int> tablFields_;
    std::vector<int> sectionFields_;          // Табл field of each marked column, -1 when absent
    std::vector<std::string> sectionNames_;   // short name of each marked column
    int startField_ = -1, endField_ = -1;     // НачУзел, КонУзел
    std::vector<int> partBounds_;             // the parts of the section table (report_parts.h)
    std::vector<const MData*> stack_;
    // Values made for the rows being rendered, with the stack depth they were made at.
    mutable std::deque<std::pair<size_t, MData>> made_;
};

}  // namespace volm::report
