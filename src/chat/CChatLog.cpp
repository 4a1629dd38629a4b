#include "chat/CChatLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "chat/ChatLineText.h"
#include "chat/RtfText.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "platform/IClock.h"
#include "platform/ILogControl.h"
#include "platform/ProgramFolder.h"

namespace yarrow {

namespace {

// The colours of a streamed-out colour table group, entry 0 (automatic) first.
// An entry without colour words stays automatic (nothing).
std::vector<std::optional<std::uint32_t>> ParseColorTable(std::string_view group) {
    std::vector<std::optional<std::uint32_t>> entries;
    std::optional<std::uint32_t> current;
    std::size_t i = 0;
    while (i < group.size()) {
        const char c = group[i];
        if (c == ';') {
            entries.push_back(current);
            current.reset();
            ++i;
        } else if (c == '\\') {
            std::size_t j = i + 1;
            std::string word;
            while (j < group.size() && std::isalpha(static_cast<unsigned char>(group[j]))) {
                word += group[j++];
            }
            std::uint32_t value = 0;
            while (j < group.size() && std::isdigit(static_cast<unsigned char>(group[j]))) {
                value = std::min<std::uint32_t>(value * 10 + (group[j++] - '0'), 255);
            }
            const int shift = word == "red" ? 16 : word == "green" ? 8 : word == "blue" ? 0 : -1;
            if (shift >= 0)
                current = current.value_or(0) | (value << shift);
            i = j > i + 1 ? j : i + 2;
        } else {
            ++i;
        }
    }
    return entries;
}

}  // namespace

CChatLog::CChatLog(ILogControl* control, const IClock& clock, std::string programFolder)
    : control_(control), clock_(clock), programFolder_(std::move(programFolder)) {}

void CChatLog::SetCharSize(int charSize) {
    defaultChatSize_ = ChatSizeFromCharSize(charSize);
}

std::string CChatLog::NoticeDocument(std::string_view text) {
    std::string body(text);
    EscapeRtf(body);
    body.insert(0, "\\cf" + std::to_string(ColorIndex(textColor_)) + " ");
    const std::size_t opened = ReplaceEvery(body, "<b>", "\\b ");
    const std::size_t closed = ReplaceEvery(body, "</b>", "\\b0 ");
    // A notice that opens bold and never closes must not leave the next line
    // bold.
    if (opened > 0 && closed == 0)
        body += "\\b0";
    if (ExtraParagraph())
        body += "\\par";
    // Notices break lines only with the upper-case tag; "<cr>" stays literal.
    ReplaceEvery(body, "<CR>", "\\par ");
    std::string doc = NoticeDocumentHeader(LogColorTable());
    doc += body;
    doc += kDocumentEnd;
    return doc;
}

void CChatLog::AppendNoticeLine(const std::string& text) {
    if (text.empty() || control_ == nullptr)
        return;
    if (textLog_.IsOpen()) {
        std::string line(text);
        ReplaceEvery(line, "<cr>", "\r\n");
        ReplaceEvery(line, "<CR>", "\r\n");
        ReplaceEvery(line, "<b>", "");
        ReplaceEvery(line, "</b>", "");
        line += "\r\n";
        textLog_.Write(line);
    }
    Insert(NoticeDocument(text));
}

std::string CChatLog::ChatDocument(std::string_view name, std::string_view text,
                                   std::uint32_t nameColor, std::int32_t type) {
    std::string escapedName(name);
    EscapeRtf(escapedName);
    std::string body(text);
    EscapeRtf(body);
    ConvertMarkup(body, colors_, textColor_, defaultChatSize_);
    const int nameIndex = colorOff_ ? 0 : ColorIndex(nameColor);
    const int textIndex = ColorIndex(textColor_);
    const auto layout = ChatLineLayout(type, nameIndex, escapedName, textIndex, body);
    if (!layout)
        return {};
    std::string doc = ChatDocumentHeader(LogColorTable());
    doc += "\\fs" + std::to_string(defaultChatSize_) + " ";
    doc += *layout;
    if (ExtraParagraph())
        doc += "\\par";
    doc += kDocumentEnd;
    return doc;
}

void CChatLog::AppendChatLine(const std::string& name, const std::string& text,
                              std::int32_t nameColor, std::int32_t type) {
    if (text.empty())
        return;
    if (textLog_.IsOpen()) {
        if (auto line = PlainTextLine(type, name, text))
            textLog_.Write(*line);
    }
    if (control_ == nullptr)
        return;
    const std::string doc = ChatDocument(name, text, nameColor, type);
    if (!doc.empty())
        Insert(doc);
}

void CChatLog::Insert(const std::string& document) {
    control_->AppendRtf(document, scrollLock_);
}

std::string CChatLog::SnapshotName(std::string_view extension, std::string* fullPath) const {
    const std::string folder = logFolder_ ? logFolder_() : std::string();
    return FreeTimeStampedName(programFolder_, LogFolderPrefix(folder), clock_.Now(), extension,
                               fullPath);
}

LogFileResult CChatLog::StartTextLog() {
    textLog_.Close();
    std::string path;
    const std::string name = SnapshotName(".txt", &path);
    std::string error;
    if (!textLog_.Open(path, &error))
        return OpenFailedResult(name, error);
    LogFileResult r;
    r.ok = true;
    r.fileName = name;
    return r;
}

LogFileResult CChatLog::WriteSnapshot(std::string_view extension, const std::string& bytes) {
    std::string path;
    const std::string name = SnapshotName(extension, &path);
    // Never over an existing file: the name is a free one.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return OpenFailedResult(name, LastErrorText(errno));
    std::string_view rest = bytes;
    int error = 0;
    while (!rest.empty()) {
        const ssize_t n = ::write(fd, rest.data(), rest.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    // A full disk must not be reported as a saved log.
    if (error != 0)
        return OpenFailedResult(name, LastErrorText(error));
    return SavedResult(name);
}

LogFileResult CChatLog::SaveLogRtf() {
    const std::string streamed = control_ ? control_->StreamOutRtf() : std::string();
    return WriteSnapshot(".rtf", FixUpColorTable(streamed));
}

LogFileResult CChatLog::SaveLogText() {
    return WriteSnapshot(".txt", control_ ? control_->StreamOutText() : std::string());
}

std::string CChatLog::ClearLogQuestion() {
    return Sjis("ログをクリアします\r\nよろしいですか？");
}

void CChatLog::ClearLog() {
    if (control_)
        control_->Clear();
    ResetColorTable();
}

std::string CChatLog::FixUpColorTable(const std::string& streamedRtf) {
    const auto marker = streamedRtf.find(RtfMarker());
    if (marker == std::string::npos)
        return streamedRtf;

    static constexpr std::string_view kColorTbl = "{\\colortbl";
    const auto tableStart = streamedRtf.find(kColorTbl);
    if (tableStart == std::string::npos) {
        std::string out = streamedRtf;
        out.insert(marker, LogColorTable() + "\r\n");
        return out;
    }
    auto tableEnd = streamedRtf.find('}', tableStart);
    if (tableEnd == std::string::npos)
        tableEnd = streamedRtf.size() - 1;

    // The control numbers its colours its own way; renumber every \cf so that
    // the colours stay right once the table is replaced by LogColorTable.
    const auto entries = ParseColorTable(
        std::string_view(streamedRtf)
            .substr(tableStart + kColorTbl.size(), tableEnd - tableStart - kColorTbl.size()));
    std::vector<int> remap(entries.size(), 0);
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (entries[i])
            remap[i] = ColorIndex(*entries[i]);
    }

    std::string out;
    out.reserve(streamedRtf.size() + LogColorTable().size());
    const std::string_view in = streamedRtf;
    std::size_t i = 0;
    while (i < in.size()) {
        if (i == tableStart) {
            out += LogColorTable();
            i = tableEnd + 1;
            continue;
        }
        if (in[i] != '\\' || i + 1 >= in.size()) {
            out += in[i++];
            continue;
        }
        if (!std::isalpha(static_cast<unsigned char>(in[i + 1]))) {
            out.append(in.substr(i, 2));  // \\ \{ \} \' and other symbols
            i += 2;
            continue;
        }
        std::size_t j = i + 1;
        while (j < in.size() && std::isalpha(static_cast<unsigned char>(in[j])))
            ++j;
        const std::string_view word = in.substr(i + 1, j - i - 1);
        std::size_t k = j;
        while (k < in.size() && k - j < 9 && std::isdigit(static_cast<unsigned char>(in[k])))
            ++k;
        if (word == "cf" && k > j) {
            const std::size_t old = std::stoul(std::string(in.substr(j, k - j)));
            const int index = old < remap.size() ? remap[old] : 0;
            out += "\\cf" + std::to_string(index);
            i = k;
        } else {
            out.append(in.substr(i, j - i));
            i = j;
        }
    }
    return out;
}

}  // namespace yarrow
