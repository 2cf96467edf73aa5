// The run's files: naming, creating and announcing the output files, opening
// data files, and closing everything with the optional files erased when
// nothing was written to them.
#include "runio/runio.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace runio {

RunFiles files;

namespace {

struct OutFileSpec {
    Channel ch;
    const char* ending;      // after the suffix
    const char* announce;    // text before the quoted name
};

// Creation order of the output files of modes 0 to 4.
constexpr OutFileSpec runfilespecs[] = {
    {chout, "-o.txt", "summary output in the file, "},
    {chpx, "-px.txt", "other (eg plotix) output in the file, "},
    {chic, "-ic.txt", "details of calc results in the file, "},
    {chit, "-it.txt", "initial tables in the file, "},
    {chcsv, ".csv", "csv format in the file, "},
    {chcsv2, "2.csv", "more csv format in the file, "},
};

const char* closename(int k)
{
    switch (k) {
    case chout: return "outfile";
    case chlog: return "logfile";
    case chic: return "icfile";
    case chit: return "itfile";
    case chpx: return "pxfile";
    case chcsv: return "csvfile";
    case chcsv2: return "csv2file";
    case chps: return "psfile";
    default: return "";
    }
}

void announce(const std::string& text, const std::string& name) { putstr(0, text + "\"" + name + "\"", 1, msl); }

// A kept run file that is not whole must not pass for a good result: say
// which and why on the screen, and in the log while it can take it, else on
// standard error; the run then ends with its own status.
void reportfault(const std::string& text)
{
    screenwrite(text + "\n");
    if ((chans.chanset & mlog) != 0 && chans.file[chlog] != nullptr && chans.writefault[chlog].empty())
        chanwrite(chlog, text + "\n");
    else
        std::fprintf(stderr, "petramondo: %s\n", text.c_str());
    chans.resultslost = true;
}

std::string faultline(const char* what, const std::string& name, const std::string& fault)
{
    return std::string("problem ") + what + " the file \"" + name + "\": " + fault;
}

// The last flush of a file before its close, with the failure of any write
// made past the checks (stdio's error flag) counted as well.
void lastflush(std::FILE* f, std::string& fault)
{
    if (!fault.empty()) return;
    errno = 0;
    if (std::fflush(f) != 0)
        fault = faulttext(errno);
    else if (std::ferror(f))
        fault = faulttext(0);
}

// The a-x file that the script's last "axfile" line names, read ahead of the
// script reader, which runs only after the run's files are made; empty when
// no line names one. Lines are joined and the file ends as the script reader
// has them, and the file is left at its start for it.
std::string scriptaxfile()
{
    TextFile& tf = files.infile;
    std::string suffix, toolong;
    Words line;
    while (!atend(tf)) {
        // A line past its capacities is the script reader's to refuse.
        if (!readlogicalline(tf, line, toolong)) continue;
        if (line[1][0] == '*') break;
        if (line[1] != "axfile") continue;
        int sw, used;
        yesnoask(line, sw, used);
        suffix.clear();
        if (sw != 1 && line.n > used) suffix = str22(line[used + 1]);
    }
    rewindfile(tf);
    return suffix.empty() ? std::string() : "pm-" + suffix + ".txt";
}

// An input file (the dataset, the a-x file) of a run file's name: making the
// run's files empties it, and the pass would read the run's own output.
void inputclash(const char* where, const char* kind, const std::string& input, Channel ch, const std::string& runfile)
{
    if (input == runfile)
        bomb(where, std::string("the ") + kind + " \"" + input + "\" is also the run's " + closename(ch) + " \"" +
                        runfile + "\": give the " + kind + " another name", 0);
}

// Two run files of one name would overwrite each other, and erasing the
// unused one at the close would take the used one with it: stop before
// anything is created.
void checkdistinctnames(const std::vector<std::string>& names)
{
    for (std::size_t i = 0; i < names.size(); ++i)
        for (std::size_t j = i + 1; j < names.size(); ++j)
            if (names[i] == names[j])
                bomb("startout", "two of the run's files would both be called \"" + names[i] +
                                     "\": choose another script file suffix", 0);
}

void createchannel(Channel ch, const std::string& part1, const std::string& part2)
{
    openoutfile(part1, part2, ch);
    chans.chanset |= 1u << ch;
    chans.chanused[ch] = false;
}

void startoutfit()
{
    files.scriptsuffix = fitprefs.pmdssuffix;
    std::string suffix = files.scriptsuffix;
    files.scriptname = promptdatafile("ds-scr", suffix, "script info", files.infile);
    files.scriptopen = true;
    const std::string out = "ds-o" + files.scriptsuffix + ".txt";
    const std::string ic = "ds-ic" + files.scriptsuffix + ".txt";
    const std::string csv = "ds-" + files.scriptsuffix + ".csv";
    checkdistinctnames({chans.filename[chlog], files.scriptname, out, ic, csv});
    createchannel(chout, "ds-o", files.scriptsuffix + ".txt");
    files.filename = chans.filename[chout];
    createchannel(chic, "ds-ic", files.scriptsuffix + ".txt");
    announce("intermediate/auxiliary calc results are in the file, ", chans.filename[chic]);
    createchannel(chcsv, "ds-", files.scriptsuffix + ".csv");
    announce("dataset in csv format in the file, ", chans.filename[chcsv]);
    putstr(1, "running KALFIT from within " + run.progname, 1, msol);
    putstr(0, "at " + run.datetext, 1, msol);
    if (files.scriptsuffix.empty()) bomb("startout", "blank datafilenamesuffix?", 0);
}

}  // namespace

void startout()
{
    if (run.calcmode == 5) {
        startoutfit();
        return;
    }
    putstr(1, run.progname + "  running at " + run.datetext, 1, mlog);
    files.scriptsuffix = prefs.prefsscriptsuffix;
    files.scriptname = promptdatafile("pm-", files.scriptsuffix, "script info", files.infile);
    files.filename = files.scriptname;
    files.scriptopen = true;
    std::vector<std::string> names = {chans.filename[chlog], files.scriptname};
    for (const OutFileSpec& file : runfilespecs) names.push_back("pm-" + files.scriptsuffix + file.ending);
    checkdistinctnames(names);
    // Making the run's files would empty a dataset or a-x file of the same
    // name, and the pass would then read the run's own output.
    const auto refuse = [](const char* kind, const std::string& input) {
        if (input.empty()) return;
        inputclash("startout", kind, input, chlog, chans.filename[chlog]);
        for (const OutFileSpec& file : runfilespecs)
            inputclash("startout", kind, input, file.ch, "pm-" + files.scriptsuffix + file.ending);
    };
    if (!prefs.prefsdssuffix.empty()) refuse("dataset", "pm-ds" + prefs.prefsdssuffix + ".txt");
    if (run.calcmode <= 3) refuse("a-x file", scriptaxfile());
    for (const OutFileSpec& file : runfilespecs) {
        createchannel(file.ch, "pm-", files.scriptsuffix + file.ending);
        announce(file.announce, chans.filename[file.ch]);
    }
    putstr(0, "(these files may not all be populated yet, depending on the calcs;", 1, msl);
    putstr(0, " petramondo should delete empty files at the end of each run)", 1, msl);
}

void checkaxname(const std::string& ax, const char* where)
{
    inputclash(where, "a-x file", ax, chlog, chans.filename[chlog]);
    for (const OutFileSpec& file : runfilespecs)
        if ((chans.chanset & (1u << file.ch)) != 0) inputclash(where, "a-x file", ax, file.ch, chans.filename[file.ch]);
}

std::string promptdatafile(const std::string& prefix, std::string& suffix, const std::string& kind, TextFile& tf)
{
    if (suffix.empty())
        promptstring(kind.empty() ? "suffix to name for datafile" : "suffix to name for " + kind + " datafile",
                     suffix);
    if (suffix.empty()) bomb("promptdatafile", "expecting a suffix for data filename", 0);
    const std::string name = prefix + suffix + ".txt";
    if (!openread(tf, name)) {
        putstr(1, "cannot locate file \"" + name + "\"", 1, msol);
        bomb("promptdatafile", "datafile needed", 0);
    }
    return name;
}

std::string openoutfile(const std::string& part1, const std::string& part2, Channel ch)
{
    const std::string name = part1 + part2;
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (f == nullptr) {
        // Nothing can be reported through the run's own channels when its
        // files cannot be made; say why and stop at once.
        std::fprintf(stderr, "petramondo: cannot create the file \"%s\": %s\n", name.c_str(), std::strerror(errno));
        std::fflush(stdout);
        endprocess(2);
    }
    chans.file[ch] = f;
    chans.filename[ch] = name;
    chans.writefault[ch].clear();
    return name;
}

void closefile(Channel ch, bool keep, const std::string& name)
{
    std::FILE*& f = chans.file[ch];
    if (f != nullptr) {
        if (keep) lastflush(f, chans.writefault[ch]);
        errno = 0;
        if (std::fclose(f) != 0) {
            // A kept file's failed writes are reported by closefiles; a
            // failure of the close alone may still have lost its end.
            if (!keep)
                screenwrite("problem closing " + name + "\n");
            else if (chans.writefault[ch].empty())
                reportfault(faultline("closing", chans.filename[ch], faulttext(errno)));
        }
    }
    f = nullptr;
    if (!keep && std::remove(chans.filename[ch].c_str()) != 0) screenwrite("problem erasing  " + name + "\n");
}

void closefiles()
{
    screenwrite("\n");
    const auto isopen = [](int k) { return (chans.chanset & (1u << k)) != 0; };
    const auto kept = [](int k) { return k == chout || k == chlog || chans.chanused[k]; };
    // Every kept file's failures are known, and reported, before any file
    // is closed, so that the log still takes the report.
    for (int k = chout; k < nchannels; ++k)
        if (isopen(k) && kept(k) && chans.file[k] != nullptr) lastflush(chans.file[k], chans.writefault[k]);
    for (int k = chout; k < nchannels; ++k)
        if (isopen(k) && kept(k) && !chans.writefault[k].empty())
            reportfault(faultline("writing", chans.filename[k], chans.writefault[k]));
    for (int k = chout; k < nchannels; ++k)
        if (isopen(k)) closefile(static_cast<Channel>(k), kept(k), closename(k));
    closeread(files.infile);
    chans.chanset = 0;
    std::fflush(stdout);
}

void closedatafile(std::FILE* f, const std::string& name, std::string fault)
{
    lastflush(f, fault);
    errno = 0;
    const bool closed = std::fclose(f) == 0;
    if (!fault.empty())
        reportfault(faultline("writing", name, fault));
    else if (!closed)
        reportfault(faultline("closing", name, faulttext(errno)));
}

void showfiles(const std::string& title)
{
    screenwrite(title + "\n");
    static constexpr Channel rows[] = {chout, chlog, chic, chit, chpx, chcsv, chcsv2, chps};
    static constexpr const char* shortnames[] = {"out", "log", "ic", "it", "px", "csv", "csv2", "ps"};
    for (int i = 0; i < 8; ++i) {
        const int k = rows[i];
        chans.line.clear();
        addfield(shortnames[i], 5, chans.line);
        addfield((chans.chanset & (1u << k)) ? "open" : "--", 6, chans.line);
        if (k >= chic) addfield(chans.chanused[k] ? "used" : "--", 6, chans.line);
        screenwrite(chans.line + "\n");
    }
}

void psheader()
{
    if (chans.file[chps] == nullptr) return;
    const int fontsize = 12;
    std::string fs = std::to_string(fontsize);
    if (fs.size() < 2) fs.insert(0, " ");
    chanwrite(chps, "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 4 4 525 750\n%%Title:  output\n");
    chanwrite(chps, "%%Creator: " + run.progname + "\n%%CreationDate: " + run.datetext + "\n%%EndComments\n");
    chanwrite(chps, "/Helvetica findfont " + fs + " scalefont setfont\n\n");
}

}  // namespace runio
