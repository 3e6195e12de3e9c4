#include "web/FeedText.h"

#include <algorithm>
#include <libxml/HTMLparser.h>
#include <memory>

namespace zintra {

namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;

// The code point at `p`, advancing past it; kInvalid (one byte taken) for a byte that starts no
// valid UTF-8 sequence.
char32_t NextCodePoint(const char*& p, const char* end) {
    const auto lead = static_cast<unsigned char>(*p++);
    if (lead < 0x80) {
        return lead;
    }
    const int size = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (size == 0 || lead > 0xF4 || end - p < size - 1) {
        return kInvalid;
    }
    char32_t value = lead & (0x7Fu >> size);
    for (int i = 1; i < size; ++i) {
        const auto next = static_cast<unsigned char>(p[i - 1]);
        if ((next & 0xC0) != 0x80) {
            return kInvalid;
        }
        value = value << 6 | (next & 0x3Fu);
    }
    constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kShortest[size] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return kInvalid;
    }
    p += size - 1;
    return value;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsSpace(char32_t c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

// Control characters, and the embeddings, overrides and isolates that would turn the direction
// of the headlines after this one too: a headline's own script still reads its own way.
bool IsDropped(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF || c == kInvalid;
}

struct HtmlContextFree {
    void operator()(htmlParserCtxt* context) const { htmlFreeParserCtxt(context); }
};

void KeepCharacters(void* text, const xmlChar* characters, int length) {
    auto& out = *static_cast<std::string*>(text);
    const auto size = static_cast<std::size_t>(length);
    out.append(reinterpret_cast<const char*>(characters),
               std::min(size, kHeadlineSourceLimit - std::min(out.size(), kHeadlineSourceLimit)));
}

void Silent(void*, xmlError*) {}

// The text of an HTML fragment, as libxml2's HTML parser reads it: tags go, entities are
// decoded, the contents of scripts and styles are not text.
std::string HtmlText(std::string_view html) {
    xmlSAXHandler sax{};
    sax.initialized = XML_SAX2_MAGIC;
    sax.characters = KeepCharacters;
    sax.serror = Silent;
    std::string text;
    const std::unique_ptr<htmlParserCtxt, HtmlContextFree> context(
        htmlCreatePushParserCtxt(&sax, &text, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8));
    if (!context) {
        return text;
    }
    htmlCtxtUseOptions(context.get(), HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    htmlParseChunk(context.get(), html.data(), static_cast<int>(html.size()), 1);
    return text;
}

} // namespace

std::string PlainHeadline(std::string_view text, bool markup) {
    text = text.substr(0, kHeadlineSourceLimit);
    std::string decoded;
    if (markup &&
        std::any_of(text.begin(), text.end(), [](char c) { return c == '<' || c == '&'; })) {
        decoded = HtmlText(text);
        text = decoded;
    }
    std::string plain;
    plain.reserve(std::min(text.size(), 4 * kHeadlineLimit));
    std::size_t characters = 0;
    // Where the last character that still fits before the ellipsis ends.
    std::size_t fitsBeforeEllipsis = 0;
    bool blank = false;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const char32_t c = NextCodePoint(p, end);
        if (IsSpace(c)) {
            blank = !plain.empty();
            continue;
        }
        if (IsDropped(c)) {
            continue;
        }
        if (characters + (blank ? 2 : 1) > kHeadlineLimit) {
            plain.resize(fitsBeforeEllipsis);
            // No blank stands before the ellipsis.
            while (!plain.empty() && plain.back() == ' ') {
                plain.pop_back();
            }
            plain += "\u2026";
            return plain;
        }
        if (blank) {
            plain += ' ';
            ++characters;
            blank = false;
        }
        AppendUtf8(plain, c);
        ++characters;
        if (characters < kHeadlineLimit) {
            fitsBeforeEllipsis = plain.size();
        }
    }
    return plain;
}

} // namespace zintra
