#include "classify/rule_files.h"

#include "classify/match_operators.h"
#include "platform/bytes.h"
#include "platform/settings_files.h"
#include "platform/text_file.h"

#include <algorithm>
#include <optional>

namespace tw {

namespace {

constexpr int kRuleColumns = 6;
constexpr int kExceptionColumns = 7;

std::string encodeCell(std::string text)
{
    for (char &c : text) {
        if (c == '\r')
            c = '\t';
        else if (c == '\n')
            c = '\b';
    }
    return text;
}

std::string decodeCell(std::string text)
{
    for (char &c : text) {
        if (c == '\t')
            c = '\r';
        else if (c == '\b')
            c = '\n';
    }
    return text;
}

bool readIntPair(std::string_view text, int &first, int &second)
{
    const size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return false;
    long long a = 0;
    long long b = 0;
    if (!parseInt(trimmed(text.substr(0, comma)), a) || !parseInt(trimmed(text.substr(comma + 1)), b))
        return false;
    if (a < INT32_MIN || a > INT32_MAX || b < INT32_MIN || b > INT32_MAX)
        return false;
    first = static_cast<int>(a);
    second = static_cast<int>(b);
    return true;
}

struct CellLine {
    int column = 0;
    int row = 0;
    std::string text;
};

// A "<col>,<row>,<text>" line; nullopt for anything else.
std::optional<CellLine> readCellLine(const std::string &line)
{
    const size_t first = line.find(',');
    if (first == std::string::npos)
        return std::nullopt;
    const size_t second = line.find(',', first + 1);
    if (second == std::string::npos)
        return std::nullopt;
    CellLine cell;
    if (!readIntPair(std::string_view(line).substr(0, second), cell.column, cell.row))
        return std::nullopt;
    cell.text = decodeCell(line.substr(second + 1));
    return cell;
}

// Limits a huge size line so that a corrupt file cannot make us allocate
// without bound; no real rule table comes near it.
constexpr int kMaxRows = 1'000'000;
constexpr int kMaxColumns = 64;
// The size line alone never makes us allocate: the table grows as cell lines
// are read, and empty rows (between cells or after the last one, as the size
// line declares them) are kept only up to this many in a row. A table saved
// by the program never has such a run; a file that jumps further is corrupt.
constexpr int kMaxBlankRows = 1000;

int columnsOfKind(RuleKind kind) { return kind == RuleKind::Exception ? kExceptionColumns : kRuleColumns; }

void fitColumns(RuleKind kind, RuleTable &table)
{
    if (kind != RuleKind::Exception) {
        table.setColCount(kRuleColumns);
        return;
    }
    if (table.ColCount() > kExceptionColumns)
        table.setColCount(kExceptionColumns);
    if (table.ColCount() < 6) // a file of an older version: no picture or image columns yet
        table.insertColumns(5, 2);
    if (table.ColCount() < kExceptionColumns)
        table.setColCount(kExceptionColumns);
}

void writeImportedRule(RuleTable &table, const std::vector<std::pair<int, std::string>> &cells)
{
    const int row = table.rowForNewRule();
    for (const auto &[column, text] : cells)
        table.setCell(column, row, text);
}

} // namespace

std::string ruleFileName(RuleKind kind)
{
    switch (kind) {
    case RuleKind::Subject:
        return "subj.lst";
    case RuleKind::Sender:
        return "from.lst";
    case RuleKind::Header:
        return "header.lst";
    case RuleKind::Exception:
        return "except.lst";
    }
    return std::string();
}

int hitsColumn(RuleKind kind) { return kind == RuleKind::Exception ? col::ExceptHits : col::Hits; }

RuleTable emptyRuleTable(RuleKind kind)
{
    RuleTable table(kind == RuleKind::Exception ? kExceptionColumns : kRuleColumns, 2);
    SetGridHeadings(kind, table);
    return table;
}

void SetGridHeadings(RuleKind kind, RuleTable &table)
{
    static const char *const kSubjectHeadings[] = {"What", "Matches", "Case", "Del?", "Hits"};
    static const char *const kSenderHeadings[] = {"What", "Condition", "Matches", "Del?", "Hits"};
    static const char *const kExceptionHeadings[] = {"What", "Condition", "Matches", "Case?", "Hits"};
    const char *const *headings = kind == RuleKind::Sender      ? kSenderHeadings
                                  : kind == RuleKind::Exception ? kExceptionHeadings
                                                                : kSubjectHeadings;
    const int first = kind == RuleKind::Exception ? 0 : 1;
    for (int i = 0; i < 5; ++i)
        table.setCell(first + i, 0, headings[i]);
}

int rulePicture(RuleKind kind, const RuleTable &table, int row)
{
    if (kind != RuleKind::Exception)
        return table.cell(col::Delete, row) == "Yes" ? 0 : 1;
    const int image = toIntDef(table.cell(col::ExceptImage, row), kDefaultExceptionImage);
    return image >= 3 && image <= 14 ? image : kDefaultExceptionImage;
}

void loadRuleFile(RuleKind kind, RuleTable &table, const std::string &path)
{
    const FileContents contents = readSettingsFile(path);
    if (contents.state == FileContents::State::Missing) {
        table.setColCount(kind == RuleKind::Exception ? kExceptionColumns : kRuleColumns);
        table.setRowCount(2);
        for (int c = 0; c < table.ColCount(); ++c)
            table.setCell(c, 1, std::string());
        return;
    }
    if (contents.state == FileContents::State::Unreadable)
        throw ERuleFileError("File " + path + " not found");
    const std::vector<std::string> lines = splitLines(contents.bytes);
    const std::string corrupt = "File contains no data or corrupt file " + path;
    if (lines.empty())
        throw ERuleFileError(corrupt);
    int columns = table.ColCount();
    int rows = table.RowCount();
    if (!lines.front().empty()) {
        if (!readIntPair(lines.front(), columns, rows) || columns > kMaxColumns || rows > kMaxRows)
            throw ERuleFileError(corrupt);
    }
    if (columns <= 0 || rows <= 0)
        throw ERuleFileError(corrupt);
    // Columns past the kind's own are dropped when the table is fitted below,
    // so they are never filled.
    table.setColCount(std::min(columns, columnsOfKind(kind)));
    // The file's cells replace everything; cells it does not name are empty.
    table.setRowCount(0);
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        if (startsWith(line, "cw")) {
            int column = 0;
            int width = 0;
            if (readIntPair(std::string_view(line).substr(2), column, width) && column < columns)
                table.setColWidth(column, width);
            continue;
        }
        std::optional<CellLine> cell = readCellLine(line);
        // A cell that would fill nothing (outside the table, or empty like
        // every unnamed cell) must not stretch the table either: saving
        // leaves it out, and the file would then read back shorter.
        if (!cell || cell->row < 0 || cell->row >= rows || cell->column < 0 || cell->column >= table.ColCount() ||
            cell->text.empty())
            continue;
        if (cell->row >= table.RowCount()) {
            if (cell->row - table.RowCount() >= kMaxBlankRows)
                throw ERuleFileError(corrupt);
            table.setRowCount(cell->row + 1);
        }
        table.setCell(cell->column, cell->row, std::move(cell->text));
    }
    table.setRowCount(std::min(rows, table.RowCount() + kMaxBlankRows));
    fitColumns(kind, table);
}

std::string ruleFileText(const RuleTable &table)
{
    std::string out = std::to_string(table.ColCount()) + "," + std::to_string(table.RowCount()) + "\r\n";
    for (int c = 0; c < table.ColCount(); ++c)
        out += "cw " + std::to_string(c) + "," + std::to_string(table.colWidth(c)) + "\r\n";
    for (int r = 0; r < table.RowCount(); ++r)
        for (int c = 0; c < table.ColCount(); ++c)
            if (!table.cell(c, r).empty())
                out += std::to_string(c) + "," + std::to_string(r) + "," + encodeCell(table.cell(c, r)) + "\r\n";
    return out;
}

void saveRuleFile(const RuleTable &table, const std::string &path)
{
    writeSettingsFile(path, ruleFileText(table), [path](const std::string &) {
        throw ERuleFileError("Unable to write to " + path);
    });
}

void DeleteDupsFromGrid(RuleKind kind, RuleTable &table)
{
    const int compared = kind == RuleKind::Exception ? col::ExceptImage : table.ColCount();
    for (int row = table.RowCount() - 1; row >= 2; --row) {
        bool same = true;
        for (int c = 0; c < compared && same; ++c)
            same = table.cell(c, row) == table.cell(c, row - 1);
        if (same)
            table.deleteRow(row);
    }
}

void importSubjectLines(RuleTable &table, const std::vector<std::string> &lines)
{
    for (const auto &line : lines) {
        if (isBlank(line))
            continue;
        writeImportedRule(table, {{col::What, std::string(opContainsWholeWord)},
                                  {col::Matches, trimmed(line)},
                                  {col::Case, "No"},
                                  {col::Delete, "Yes"},
                                  {col::Hits, "0"}});
    }
}

void importExceptionLines(RuleTable &table, const std::vector<std::string> &lines)
{
    for (const auto &line : lines) {
        if (isBlank(line))
            continue;
        writeImportedRule(table, {{col::ExceptWhat, "E-mail address"},
                                  {col::ExceptCondition, std::string(opEquals)},
                                  {col::ExceptMatches, trimmed(line)},
                                  {col::ExceptCase, "No"},
                                  {col::ExceptHits, "0"},
                                  {col::ExceptImage, std::to_string(kDefaultExceptionImage)}});
    }
}

RuleTable &RuleTables::table(RuleKind kind)
{
    switch (kind) {
    case RuleKind::Subject:
        return subject;
    case RuleKind::Sender:
        return sender;
    case RuleKind::Header:
        return header;
    case RuleKind::Exception:
        break;
    }
    return exceptions;
}

const RuleTable &RuleTables::table(RuleKind kind) const { return const_cast<RuleTables *>(this)->table(kind); }

static const RuleKind kFileOrder[] = {RuleKind::Subject, RuleKind::Header, RuleKind::Sender, RuleKind::Exception};

void loadRuleTables(RuleTables &tables, const std::string &folder, RuleKind *failedKind)
{
    for (RuleKind kind : kFileOrder) {
        try {
            loadRuleFile(kind, tables.table(kind), folder + "/" + ruleFileName(kind));
        } catch (const ERuleFileError &) {
            if (failedKind)
                *failedKind = kind;
            throw;
        }
        SetGridHeadings(kind, tables.table(kind));
    }
}

void saveRuleTables(const RuleTables &tables, const std::string &folder)
{
    for (RuleKind kind : kFileOrder)
        saveRuleFile(tables.table(kind), folder + "/" + ruleFileName(kind));
}

} // namespace tw
