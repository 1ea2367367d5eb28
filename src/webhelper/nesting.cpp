#include "webhelper/nesting.h"

#include "webhelper/voidelements.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace tarvo::webhelper {
namespace {

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool endsName(char c) {
    return c == '>' || c == '/' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Elements that never hold content, or whose end tag the parser supplies when the next
// one starts: they never make the tree deeper on their own.
bool opensNoLevel(std::string_view name) {
    static constexpr std::array<std::string_view, 18> closedByTheNext = {
        "image",    "p",  "li", "dt", "dd",    "tr",    "td",    "th",       "option",
        "optgroup", "rb", "rt", "rp", "tbody", "thead", "tfoot", "colgroup", "html"};
    return isVoidElement(name) ||
           std::find(closedByTheNext.begin(), closedByTheNext.end(), name) != closedByTheNext.end();
}

// Formatting elements left open are rebuilt by the parser wherever text follows, so
// only their own end tag takes them off the count.
bool isFormatting(std::string_view name) {
    static constexpr std::array<std::string_view, 14> names = {
        "a",    "b", "big",   "code",   "em",     "font", "i",
        "nobr", "s", "small", "strike", "strong", "tt",   "u"};
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The lower-case name of the tag whose name starts at from, and where it ends.
std::string readName(const QByteArray& text, qsizetype from, qsizetype& end) {
    std::string name;
    end = from;
    while (end < text.size() && !endsName(text[end])) {
        const char c = text[end];
        // Names longer than any real one are only compared, never kept in full.
        if (name.size() < 32)
            name.push_back(c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c);
        ++end;
    }
    return name;
}

// Index just past the '>' that closes the tag (quoted attribute values may hold '>'),
// or the size when the tag never closes.
qsizetype tagEnd(const QByteArray& text, qsizetype from) {
    char previous = 0;
    for (qsizetype i = from; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '>')
            return i + 1;
        if ((c == '"' || c == '\'') && previous == '=') {
            const qsizetype close = text.indexOf(c, i + 1);
            if (close < 0)
                return text.size();
            i = close;
            previous = c;
            continue;
        }
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\f')
            previous = c;
    }
    return text.size();
}

} // namespace

QByteArray limitNesting(const QByteArray& utf8, int maxDepth) {
    QByteArray out;
    out.reserve(utf8.size());
    std::vector<std::string> open;
    qsizetype copied = 0; // utf8[copied, i) is still to be copied
    qsizetype i = 0;
    const qsizetype n = utf8.size();
    while (i < n) {
        i = utf8.indexOf('<', i);
        if (i < 0)
            break;
        if (i + 1 >= n)
            break;
        const char next = utf8[i + 1];
        if (next == '!' || next == '?') {
            // Comments, doctypes and bogus comments hold no elements.
            const qsizetype close = next == '!' && utf8.mid(i, 4) == "<!--"
                                        ? utf8.indexOf("-->", i + 4)
                                        : utf8.indexOf('>', i + 2);
            i = close < 0 ? n : close + 1;
            continue;
        }
        if (next == '/' && i + 2 < n && isAsciiLetter(utf8[i + 2])) {
            qsizetype end = 0;
            const std::string name = readName(utf8, i + 2, end);
            const auto found = std::find(open.rbegin(), open.rend(), name);
            if (found != open.rend()) {
                const auto at = std::prev(found.base());
                if (isFormatting(name)) {
                    open.erase(at);
                } else {
                    const auto kept = std::remove_if(
                        std::next(at), open.end(), [](const auto& n) { return !isFormatting(n); });
                    open.erase(kept, open.end());
                    open.erase(at);
                }
            }
            i = tagEnd(utf8, end);
            continue;
        }
        if (!isAsciiLetter(next)) {
            ++i;
            continue;
        }
        qsizetype end = 0;
        const std::string name = readName(utf8, i + 1, end);
        const qsizetype after = tagEnd(utf8, end);
        if (!opensNoLevel(name)) {
            if (qsizetype(open.size()) >= maxDepth) {
                out.append(utf8.constData() + copied, i - copied);
                copied = after;
            } else {
                open.push_back(name);
            }
        }
        i = after;
    }
    out.append(utf8.constData() + copied, n - copied);
    return out;
}

} // namespace tarvo::webhelper
