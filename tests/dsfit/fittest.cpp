#include "fittest.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "app/app.h"
#include "dsfit/dsfit.h"
#include "runio/runio.h"
#include "script/script.h"
#include "thermodata/thermodata.h"

namespace fs = std::filesystem;

namespace fittest {

std::map<std::string, std::string> fullexample()
{
    std::map<std::string, std::string> files;
    for (const char* name : {"ds-prefs.txt", "ds-scr6fit.txt", "ds-emex.txt", "ds-axex.txt", "ds-xpex.txt"})
        files[name] = pmtest::examplefile(name);
    files["pm-prefs.txt"] = pmtest::prefsfile("6ex", "ex", 9);
    return files;
}

namespace {

// The text without the part from `from` up to and including `to` after it,
// or up to its end when `to` is empty.
std::string cut(const std::string& text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << "not in the text: " << from;
    if (at == std::string::npos) return text;
    const std::size_t end = to.empty() ? std::string::npos : text.find(to, at + from.size());
    return text.substr(0, at) + (end == std::string::npos ? "" : text.substr(end + to.size()));
}

}  // namespace

std::map<std::string, std::string> examplefiles()
{
    auto files = fullexample();
    std::string& em = files["ds-emex.txt"];
    for (const char* name : {"coe coesite\n", "fa fayalite\n", "fs ferrosilite\n"}) em = cut(em, name, "\n\n");
    files["ds-axex.txt"] = cut(files["ds-axex.txt"], "\n% olivine", "");
    std::string& xp = files["ds-xpex.txt"];
    xp = cut(xp, "  1  10.0   850  0    0.050\n", "0.030\n");
    xp = cut(xp, "%\n% experiments with solution phases", "") + "0\n";
    return files;
}

void addsettings(std::map<std::string, std::string>& files, const std::string& lines)
{
    files["ds-prefs.txt"] = replaced(files["ds-prefs.txt"], "\n*\n", "\n" + lines + "*\n");
}

std::string replaced(const std::string& text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << "not in the text: " << from;
    if (at == std::string::npos) return text;
    return text.substr(0, at) + to + text.substr(at + from.size());
}

FitDir::FitDir(const std::map<std::string, std::string>& files)
{
    std::string templ = (fs::temp_directory_path() / "pmfit-XXXXXX").string();
    if (mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path = templ;
    previous = fs::current_path().string();
    fs::current_path(path);
    for (const auto& [name, text] : files) pmtest::writefile(name, text);

    using namespace runio;
    makestarttables();
    run.calcmode = 5;
    run.runno = 1;
    chans.chanset = 0;
    prefs = Prefs{};
    prefs.bombautoexit = true;
    if (thermodata::ems.td.empty()) app::setupstore();
    script::initscripts();
    thermodata::ds.dsnew = true;
    thermodata::ds.dsold = false;
    thermodata::ds.dsgen6 = true;
    win.fluidtype = 6;
    dsfit::kalfitalloc();
}

FitDir::~FitDir()
{
    runio::closeread(runio::files.infile);
    fs::current_path(previous);
    fs::remove_all(path);
}

std::string logof(const std::function<void()>& body)
{
    using namespace runio;
    openoutfile("captured", ".txt", chlog);
    chans.chanset |= mlog;
    body();
    std::fclose(chans.file[chlog]);
    chans.file[chlog] = nullptr;
    chans.chanset &= ~mlog;
    return pmtest::readfile("captured.txt");
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> v;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) v.push_back(l);
    return v;
}

std::string emfile(const std::string& records) { return "5\nheading\n" + records + "*\n"; }

}  // namespace fittest
