#include "chart/CChartFile.h"

#include "platform/SjisText.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "chart/ChartPayload.h"
#include "platform/Cp932.h"
#include "platform/FileBytes.h"

namespace yarrow {
namespace {

constexpr std::string_view kComma = ",";
constexpr std::string_view kEscapedComma = "%2C";
constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

std::string EncodeText(const std::string& text) {
    // A line end inside a text would split the row on reading.
    std::string out = ReplaceAllBytes(ReplaceAllBytes(text, kComma, kEscapedComma), "\r\n", " ");
    for (char& ch : out) {
        if (ch == '\n')
            ch = ' ';
    }
    // Blanks at either end go as reading drops them, so a written text reads
    // back as exactly what was written and writes out the same bytes again;
    // a header cut to its byte limit may well end in one.
    return std::string(TrimBlanks(out, kWhiteSpace));
}

std::string DecodeText(std::string_view piece) {
    const std::string text = ReplaceAllBytes(piece, kEscapedComma, kComma);
    return std::string(TrimBlanks(text, kWhiteSpace));
}

// Splits at every ","; at most `limit` pieces are kept, `cut` tells whether
// more were there.
std::vector<std::string> SplitLine(std::string_view line, std::size_t limit, bool* cut) {
    std::vector<std::string> pieces;
    std::size_t at = 0;
    for (;;) {
        const std::size_t comma = line.find(',', at);
        if (pieces.size() == limit) {
            *cut = true;
            break;
        }
        pieces.push_back(DecodeText(line.substr(
            at, comma == std::string_view::npos ? std::string_view::npos : comma - at)));
        if (comma == std::string_view::npos)
            break;
        at = comma + 1;
    }
    return pieces;
}

// The lines of a text file as a text-mode reader sees them: split at LF, a CR
// before the LF removed, a last line without its line end still counted, and
// no extra empty line after a final line end. At most `maxLines` are taken: a
// file of nothing but line ends must not turn into millions of entries.
std::vector<std::string_view> SplitLines(std::string_view bytes, std::size_t maxLines) {
    std::vector<std::string_view> lines;
    std::size_t at = 0;
    while (at < bytes.size() && lines.size() < maxLines) {
        std::size_t end = bytes.find('\n', at);
        const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(at, end - at);
        if (!line.empty() && line.back() == '\r' && end < bytes.size())
            line.remove_suffix(1);
        lines.push_back(line);
        at = next;
    }
    return lines;
}

CChartResult Error(std::string message) {
    CChartResult result;
    result.message = std::move(message);
    result.caption = Sjis("エラー");
    return result;
}

CChartResult CannotOpen(int error) {
    return Error(Sjis("Chartファイルを開けません\r\n") + std::strerror(error));
}

}  // namespace

std::string CChartFile::Format(const CChartModel& chart) {
    std::string out;
    const auto appendLine = [&](auto textAt) {
        for (int c = 0; c < chart.ColumnCount(); ++c) {
            if (c > 0)
                out += ',';
            out += EncodeText(textAt(c));
        }
        out += "\r\n";
    };
    appendLine([&](int c) { return CutCp932(chart.Header(c), kChartHeaderMaxBytes); });
    for (int r = 0; r < chart.RowCount(); ++r) {
        appendLine([&](int c) { return chart.Cell(r, c); });
    }
    return out;
}

CChartResult CChartFile::Parse(std::string_view bytes, CChartModel& chart) {
    std::string clean;
    if (bytes.find('\0') != std::string_view::npos) {
        clean.reserve(bytes.size());
        for (char ch : bytes) {
            if (ch != '\0')
                clean += ch;
        }
        bytes = clean;
    }
    // The header line, the rows a chart can hold, and one more to tell that
    // the file had more than that.
    const std::vector<std::string_view> lines =
        SplitLines(bytes, static_cast<std::size_t>(kChartMaxRows) + 2);
    if (lines.empty()) {
        return Error(Sjis("Chartファイルの書式がおかしいか、あるいは破損しています"));
    }
    bool cut = false;
    std::vector<std::string> headers = SplitLine(lines[0], kChartMaxColumns, &cut);
    std::vector<std::vector<std::string>> rows;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (rows.size() == static_cast<std::size_t>(kChartMaxRows)) {
            cut = true;
            break;
        }
        // Pieces beyond the last column are ignored, so only that many are split.
        bool extra = false;
        std::vector<std::string> row = SplitLine(lines[i], headers.size(), &extra);
        row.resize(headers.size());
        rows.push_back(std::move(row));
    }
    chart.Assign(std::move(headers), std::move(rows), chart.Spin());

    CChartResult result;
    result.changed = true;
    if (cut) {
        result.message = Sjis(
            "表に読み込めるのは256行・256列までです。\r\n"
            "それを超える部分は読み込みませんでした");
        result.caption = Sjis("警告");
        result.warning = true;
    }
    return result;
}

CChartResult CChartFile::Save(const std::string& path, const CChartModel& chart) {
    const FileWrite write = SaveFileBytes(path, Format(chart));
    if (!write.opened)
        return CannotOpen(write.error);
    if (!write.Written())
        return Error(Sjis("Chartファイルに書き込めません\r\n") + std::strerror(write.error));
    return CChartResult{};
}

CChartResult CChartFile::Load(const std::string& path, CChartModel& chart) {
    FileBytes file = ReadFileBytes(path, kMaxFileBytes);
    switch (file.status) {
        case FileBytes::Status::Read:
            return Parse(file.bytes, chart);
        case FileBytes::Status::TooLarge:
            return Error(Sjis("Chartファイルが大きすぎるため開けません\r\n(16MBまで)"));
        case FileBytes::Status::CannotOpen:
        case FileBytes::Status::ReadError:
            break;
    }
    return CannotOpen(file.error);
}

}  // namespace yarrow
