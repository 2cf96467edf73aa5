// The output channels and the line writer: every line of every table goes
// through putstr to the channels of its mask.
#include "runio/runio.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace runio {

Channels chans;

namespace {

// The text files are single-byte (the Macintosh character set); a terminal
// wants UTF-8, so the upper half is shown as the characters it stands for.
constexpr Arr<char16_t, 128> macroman = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3,
    0x00E5, 0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3,
    0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA,
    0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D,
    0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE,
    0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7};

bool screenisterminal()
{
    static const int tty = isatty(STDOUT_FILENO);
    return tty != 0;
}

void writeline_ends(Channel ch, int count)
{
    if (count == 0) return;
    checkedwrite(chans.file[ch], "\n\n", count == 1 ? 1 : 2, chans.writefault[ch]);
}

void putfile(Channel ch, int before, const std::string& text, int after)
{
    writeline_ends(ch, before);
    checkedwrite(chans.file[ch], text.data(), text.size(), chans.writefault[ch]);
    writeline_ends(ch, after);
}

void putscreen(int before, const std::string& text, int after)
{
    std::string ends;
    if (before != 0) ends = before == 1 ? "\n" : "\n\n";
    const std::size_t keep = prefs.pagewidth - 2;
    if (prefs.wrapscreen && text.size() > keep)
        screenwrite(ends + text.substr(0, keep) + "#");
    else
        screenwrite(ends + text);
    if (after != 0) screenwrite(after == 1 ? "\n" : "\n\n");
}

}  // namespace

void screenwrite(const std::string& text)
{
    if (!screenisterminal()) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        return;
    }
    std::string out;
    out.reserve(text.size() + 8);
    for (char ch : text) {
        const unsigned char b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out.push_back(ch);
            continue;
        }
        const unsigned u = macroman[b - 0x80];
        if (u < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (u >> 6)));
            out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (u >> 12)));
            out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void addfield(const std::string& text, int width, std::string& buffer)
{
    const int len = static_cast<int>(buffer.size());
    const int t = static_cast<int>(text.size());
    if (len > 0 && buffer.back() == cutmark) return;
    if (len > 0 && len + t >= maxlinelen + 1) {
        buffer.push_back(cutmark);
        return;
    }
    const int w = width < 0 ? -width : width;
    if (width != 0 && w != t) {
        if (width > 0)
            buffer += spaces(width - t) + text;
        else
            buffer += text + spaces(-width - t);
    } else {
        buffer += text;
    }
    // Padding is not counted against the cut, but no line is ever longer than a text may be.
    if (buffer.size() > static_cast<std::size_t>(maxstr)) buffer.resize(maxstr);
}

void addreal(double x, int n, bool fixed, int width, std::string& buffer)
{
    addfield(realstr(x, n, fixed), width, buffer);
}

void addrealshort(double x, int width, std::string& buffer) { addfield(realstrshort(x), width, buffer); }

void putstr(int before, const std::string& text, int after, std::uint32_t mask)
{
    const std::uint32_t m = mask & chans.chanset & 0xFFFFu;
    for (int k = 0; k < nchannels; ++k) {
        if ((m & (1u << k)) == 0) continue;
        if (k == chscreen)
            putscreen(before, text, after);
        else if (k >= chout && chans.file[k] != nullptr)
            putfile(static_cast<Channel>(k), before, text, after);
    }
    for (int k = chic; k < nchannels; ++k)
        if (m & (1u << k)) chans.chanused[k] = true;
}

void flushfiles()
{
    for (int k = chout; k < nchannels; ++k)
        if (chans.chanset & (1u << k)) flushchannel(static_cast<Channel>(k));
}

std::string faulttext(int err) { return err != 0 ? std::strerror(err) : "write error"; }

void checkedwrite(std::FILE* f, const char* data, std::size_t n, std::string& fault)
{
    // After a failed write nothing more goes to the file: it keeps the run's
    // text up to the failure, with no gap that a later write could hide.
    if (f == nullptr || n == 0 || !fault.empty()) return;
    errno = 0;
    if (std::fwrite(data, 1, n, f) != n) fault = faulttext(errno);
}

void chanwrite(Channel ch, const std::string& text)
{
    checkedwrite(chans.file[ch], text.data(), text.size(), chans.writefault[ch]);
}

void flushchannel(Channel ch)
{
    std::FILE* f = chans.file[ch];
    if (f == nullptr || !chans.writefault[ch].empty()) return;
    errno = 0;
    if (std::fflush(f) != 0) chans.writefault[ch] = faulttext(errno);
}

}  // namespace runio
