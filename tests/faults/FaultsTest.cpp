// Ostrel.exe under the faults a print server meets: files handed over while it watches a folder, folders that are
// missing, jobs still being written, inputs that cannot be prepared, kept inputs, failing and endless Ghostscript
// runs, a log that cannot be written, encryption, and one-file starts that cannot succeed. Every case runs the real
// program with the real timer and the real Ghostscript (through the stand-in) and is judged by what is on disk
// afterwards: which outputs exist, which inputs remain, that nothing outside the folders changed, what the log
// says, that no password stands in any file it made, and how the process ended.
#include "faults/FaultRig.h"

#include "support/GuiDriver.h"
#include "support/HostProcesses.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <regex>
#include <set>
#include <sstream>

namespace {

using namespace faults;
using programtest::Narrow;
using testenv::ReadFileBytes;

constexpr DWORD kGoneTimeoutMs = 30000;

// An input checked at the end, named relative to the data folder.
struct InputCheck {
    const wchar_t* file;
    InputEnd end;
};

struct FaultCase {
    const char* name;
    std::function<void(Rig&)> arrange; // folders, files and settings before the start
    std::function<void(Rig&)> act;     // drives the program and checks what only this case can
    std::vector<std::string> outputs;  // exactly these files in the output folder at the end
    std::vector<InputCheck> inputs;
    std::vector<const wchar_t*> namedInLog; // files (relative to the data folder) that the log must name
    bool boxesAllowed = false;              // only one-file runs may ask a person
};

// Waits until every file exists.
::testing::AssertionResult AllThere(Rig& rig, const std::vector<fs::path>& files) {
    const bool there = rig.WaitUntil(
        [&] { return std::all_of(files.begin(), files.end(), [](const fs::path& f) { return fs::exists(f); }); });
    if (there) {
        return ::testing::AssertionSuccess();
    }
    std::string missing;
    for (const fs::path& f : files) {
        if (!fs::exists(f)) {
            missing += Ansi(f) + "; ";
        }
    }
    return ::testing::AssertionFailure() << "never appeared: " << missing << " (outputs: " << rig.Outputs().size()
                                         << ")";
}

// Waits until every file is gone (converted inputs deleted by the post-processing).
::testing::AssertionResult AllGone(Rig& rig, const std::vector<fs::path>& files) {
    const bool gone = rig.WaitUntil(
        [&] { return std::none_of(files.begin(), files.end(), [](const fs::path& f) { return fs::exists(f); }); },
        kGoneTimeoutMs);
    return gone ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "inputs were not taken";
}

// Writes a job the way a port monitor does: held open for writing while it grows.
class JobWriter {
public:
    explicit JobWriter(const fs::path& file)
        : handle_(CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~JobWriter() { Close(); }
    JobWriter(const JobWriter&) = delete;
    JobWriter& operator=(const JobWriter&) = delete;
    bool Open() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Write(const std::string& bytes) const {
        DWORD written = 0;
        return WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size();
    }
    void Close() {
        if (Open()) {
            CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
    }

private:
    HANDLE handle_;
};

bool ContainsNoCase(const std::string& text, const std::string& part) {
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
        return s;
    };
    return lower(text).find(lower(part)) != std::string::npos;
}

// A log line that names the input and, in the rest of its text, the exit code as a number of its own.
bool LogNamesFailure(const std::string& log, const fs::path& input, unsigned exitCode) {
    const std::string path = Ansi(input);
    const std::regex code("(^|[^0-9.])" + std::to_string(exitCode) + "([^0-9.]|$)");
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        const size_t at = line.find(path);
        const size_t text = line.find(" - ");
        if (at == std::string::npos || text == std::string::npos) {
            continue;
        }
        std::string rest = line.substr(text + 3);
        rest.erase(rest.find(path), path.size());
        if (std::regex_search(rest, code)) {
            return true;
        }
    }
    return false;
}

// The print server's folders with one short job per name in the input folder.
void PutJobs(Rig& rig, std::initializer_list<const wchar_t*> names) {
    for (const wchar_t* name : names) {
        rig.Put(rig.in / name, Job(1, Narrow(name)));
    }
}

const std::vector<FaultCase>& Cases() {
    static const std::vector<FaultCase> cases = {
        {"a file handed over by a second start is converted alone; the watched folder stays",
         [](Rig& r) {
             PutJobs(r, {L"a.ps"});
             r.Put(r.data() / L"other" / L"handed.ps", Job(1, "handed"));
             r.Put(r.data() / L"other" / L"bystander.ps", Job(1, "bystander"));
             r.mayChange = {r.data() / L"other" / L"handed.ps"};
         },
         [](Rig& r) {
             r.Start();
             ASSERT_TRUE(AllThere(r, {r.out / L"a.pdf"}));
             programtest::Process second;
             r.StartAnother(second, (r.data() / L"other" / L"handed.ps").wstring());
             EXPECT_EQ(second.WaitExit(30000), std::optional<DWORD>(0)) << "the second start did not end";
             ASSERT_TRUE(AllThere(r, {r.out / L"handed.pdf"}));
             // The watched folder is still the stored one: a job put there now is converted.
             PutJobs(r, {L"b.ps"});
             ASSERT_TRUE(AllThere(r, {r.out / L"b.pdf"}));
             r.Idle(3);
         },
         {"a.pdf", "b.pdf", "handed.pdf"},
         {{L"in\\a.ps", InputEnd::Gone},
          {L"in\\b.ps", InputEnd::Gone},
          {L"other\\handed.ps", InputEnd::Gone},
          {L"other\\bystander.ps", InputEnd::Unchanged}},
         {}},

        {"a missing input folder: nothing converted or deleted, said once, taken up when it comes",
         [](Rig& r) {
             r.in = r.data() / L"gone";
             r.Put(r.data() / L"loose.ps", Job(1, "loose"));
         },
         [](Rig& r) {
             r.Start();
             r.Idle(3);
             const int said = r.LogLinesNaming(Ansi(r.in));
             EXPECT_GE(said, 1) << "the log does not name the missing folder:\n" << r.Log();
             r.Idle(2);
             EXPECT_EQ(r.LogLinesNaming(Ansi(r.in)), said) << "said again at a later tick:\n" << r.Log();
             EXPECT_TRUE(r.Outputs().empty());
             fs::create_directories(r.in);
             PutJobs(r, {L"x.ps"});
             ASSERT_TRUE(AllThere(r, {r.out / L"x.pdf"}));
             ASSERT_TRUE(AllGone(r, {r.in / L"x.ps"}));
         },
         {"x.pdf"},
         {{L"loose.ps", InputEnd::Unchanged}, {L"gone\\x.ps", InputEnd::Gone}},
         {}},

        {"a missing output folder: no PDF anywhere, the input kept, taken up when it comes",
         [](Rig& r) {
             r.out = r.data() / L"gone-out";
             PutJobs(r, {L"a.ps"});
         },
         [](Rig& r) {
             r.Start();
             r.Idle(3);
             const int said = r.LogLinesNaming(Ansi(r.out));
             EXPECT_GE(said, 1) << "the log does not name the missing folder:\n" << r.Log();
             r.Idle(2);
             EXPECT_EQ(r.LogLinesNaming(Ansi(r.out)), said) << "said again at a later tick:\n" << r.Log();
             r.ExpectInput(r.in / L"a.ps", InputEnd::Unchanged);
             fs::create_directories(r.out);
             ASSERT_TRUE(AllThere(r, {r.out / L"a.pdf"}));
             ASSERT_TRUE(AllGone(r, {r.in / L"a.ps"}));
         },
         {"a.pdf"},
         {{L"in\\a.ps", InputEnd::Gone}},
         {}},

        {"a job still being written is taken once it is complete, and whole",
         [](Rig& r) { PutJobs(r, {L"early.ps"}); },
         [](Rig& r) {
             const std::string job = Job(2, "job");
             const std::string firstPart = job.substr(0, job.find("%%Page: 2"));
             JobWriter writer(r.in / L"job.ps");
             ASSERT_TRUE(writer.Open());
             ASSERT_TRUE(writer.Write(firstPart));
             r.Start();
             // A tick has come and gone while the job was there, half written.
             ASSERT_TRUE(AllThere(r, {r.out / L"early.pdf"}));
             r.Idle(3);
             EXPECT_FALSE(fs::exists(r.out / L"job.pdf")) << "taken while it was being written";
             EXPECT_EQ(ReadFileBytes(r.in / L"job.ps"), firstPart) << "the job was changed while being written";
             ASSERT_TRUE(writer.Write(job.substr(firstPart.size())));
             writer.Close();
             ASSERT_TRUE(AllThere(r, {r.out / L"job.pdf"}));
             ASSERT_TRUE(AllGone(r, {r.in / L"job.ps"}));
             EXPECT_EQ(PdfPageCount(ReadFileBytes(r.out / L"job.pdf")), 2) << "not the whole job";
         },
         {"early.pdf", "job.pdf"},
         {{L"in\\early.ps", InputEnd::Gone}, {L"in\\job.ps", InputEnd::Gone}},
         {}},

        {"a read-only input is reported and skipped; the files after it are converted",
         [](Rig& r) {
             PutJobs(r, {L"a.ps", L"b.ps", L"c.ps"});
             SetFileAttributesW((r.in / L"a.ps").c_str(), FILE_ATTRIBUTE_READONLY);
         },
         [](Rig& r) {
             r.Start();
             ASSERT_TRUE(AllThere(r, {r.out / L"b.pdf", r.out / L"c.pdf"}));
             ASSERT_TRUE(AllGone(r, {r.in / L"b.ps", r.in / L"c.ps"}));
             r.Idle(1);
         },
         {"b.pdf", "c.pdf"},
         {{L"in\\a.ps", InputEnd::Unchanged}, {L"in\\b.ps", InputEnd::Gone}, {L"in\\c.ps", InputEnd::Gone}},
         {L"in\\a.ps"}},

        {"a \"%\" in the input folder's name stays; the files in it are converted",
         [](Rig& r) {
             r.in = r.data() / L"in%1";
             PutJobs(r, {L"a%1.ps", L"b.ps"});
         },
         [](Rig& r) {
             r.Start();
             ASSERT_TRUE(AllThere(r, {r.out / L"a!1.pdf", r.out / L"b.pdf"}));
             ASSERT_TRUE(AllGone(r, {r.in / L"a%1.ps", r.in / L"b.ps"}));
             r.Idle(1);
         },
         {"a!1.pdf", "b.pdf"},
         {{L"in%1\\a%1.ps", InputEnd::Gone}, {L"in%1\\a!1.ps", InputEnd::Gone}, {L"in%1\\b.ps", InputEnd::Gone}},
         {}},

        {"an input whose \"!\" name is taken is reported once and skipped; the others are converted once",
         [](Rig& r) {
             r.deleteInputs = false;
             r.Put(r.in / L"a%1.ps", Job(1, "percent"));
             r.Put(r.in / L"a!1.ps", Job(1, "bang"));
             PutJobs(r, {L"b.ps"});
         },
         [](Rig& r) {
             r.Start();
             ASSERT_TRUE(AllThere(r, {r.out / L"a!1.pdf", r.out / L"b.pdf"}));
             r.Idle(1);
             const std::string name = Ansi(r.in / L"a%1.ps");
             const int said = r.LogLinesNaming(name);
             r.Idle(3);
             EXPECT_EQ(r.LogLinesNaming(name), said) << "reported again at a later tick:\n" << r.Log();
         },
         {"a!1.pdf", "b.pdf"},
         {{L"in\\a%1.ps", InputEnd::Unchanged}, {L"in\\a!1.ps", InputEnd::Kept}, {L"in\\b.ps", InputEnd::Kept}},
         {L"in\\a%1.ps"}},

        {"kept inputs are converted once; a changed one once more",
         [](Rig& r) {
             r.deleteInputs = false;
             PutJobs(r, {L"a.ps"});
         },
         [](Rig& r) {
             r.Start();
             ASSERT_TRUE(AllThere(r, {r.out / L"a.pdf"}));
             PutJobs(r, {L"b.ps"});
             ASSERT_TRUE(AllThere(r, {r.out / L"b.pdf"}));
             r.Idle(3);
             EXPECT_EQ(r.Outputs(), (std::vector<std::string>{"a.pdf", "b.pdf"})) << "converted again";
             r.Put(r.in / L"a.ps", Job(2, "a, changed"));
             ASSERT_TRUE(r.WaitUntil([&] { return r.Outputs().size() >= 3; }));
             r.Idle(3);
         },
         {"a.pdf", "a_001.pdf", "b.pdf"},
         {{L"in\\a.ps", InputEnd::Kept}, {L"in\\b.ps", InputEnd::Kept}},
         {}},

        {"a failed run leaves no output of its own",
         [](Rig& r) {
             r.Put(r.in / L"bad.ps", FailingJob());
             PutJobs(r, {L"good.ps"});
         },
         [](Rig& r) {
             r.Start();
             ASSERT_TRUE(AllThere(r, {r.out / L"good.pdf"}));
             ASSERT_TRUE(AllGone(r, {r.in / L"good.ps"}));
             r.Idle(2);
             EXPECT_TRUE(LogNamesFailure(r.Log(), r.in / L"bad.ps", 1)) << "no failure with its exit code:\n"
                                                                        << r.Log();
         },
         {"good.pdf"},
         {{L"in\\bad.ps", InputEnd::Kept}, {L"in\\good.ps", InputEnd::Gone}},
         {L"in\\bad.ps"}},

        {"a failed run leaves none of its page files",
         [](Rig& r) {
             r.extraSettings["Start"] = {"Format=2", "SeiteJN=1"};
             r.extraSettings["Aufl\xf6sung"] = {"dpi2=36"};
             r.Put(r.in / L"bad.ps", FailingJob());
             r.Put(r.in / L"good.ps", Job(2, "good"));
         },
         [](Rig& r) {
             r.Start();
             ASSERT_TRUE(AllThere(r, {r.out / L"good_001.jpg", r.out / L"good_002.jpg"}));
             ASSERT_TRUE(AllGone(r, {r.in / L"good.ps"}));
             r.Idle(2);
         },
         {"good_001.jpg", "good_002.jpg"},
         {{L"in\\bad.ps", InputEnd::Kept}, {L"in\\good.ps", InputEnd::Gone}},
         {L"in\\bad.ps"}},

        {"a log that cannot be written stops neither conversion nor deletion, and asks nobody",
         [](Rig& r) {
             fs::create_directory(r.log()); // a folder in its place: every write is refused
             PutJobs(r, {L"a.ps"});
         },
         [](Rig& r) {
             r.Start();
             ASSERT_TRUE(AllThere(r, {r.out / L"a.pdf"}));
             ASSERT_TRUE(AllGone(r, {r.in / L"a.ps"}));
             PutJobs(r, {L"b.ps"});
             ASSERT_TRUE(AllThere(r, {r.out / L"b.pdf"}));
             ASSERT_TRUE(AllGone(r, {r.in / L"b.ps"}));
             r.Idle(1);
         },
         {"a.pdf", "b.pdf"},
         {{L"in\\a.ps", InputEnd::Gone}, {L"in\\b.ps", InputEnd::Gone}},
         {}},

        {"an encrypted PDF, the memo and the log carry no password",
         [](Rig& r) {
             r.extraSettings["Start"] = {"Encryptspeichern=1", "Kommandozeile=1"};
             r.extraSettings["Verschl\xfcsselung"] = {"Sicherheit=1", "BerechtigungCheck=1",
                                                      "BerechtigungText=OwnerSecret7391", "KennwortCheck=1",
                                                      "KennwortText=UserSecret4826"};
             r.secrets = {"OwnerSecret7391", "UserSecret4826"};
             PutJobs(r, {L"a.ps"});
         },
         [](Rig& r) {
             r.Start();
             // Stored security settings bring the reminder and the settings dialog at the first activation.
             HWND dialog = nullptr;
             r.WaitUntil(
                 [&] {
                     auto dialogs = programtest::WindowsOf(r.process().Id(), L"TEinstellungen_Form");
                     for (HWND d : dialogs) {
                         if (IsWindowVisible(d)) {
                             dialog = d;
                         }
                     }
                     return dialog != nullptr;
                 },
                 15000);
             if (dialog) {
                 PostMessageW(dialog, WM_CLOSE, 0, 0);
                 r.WaitUntil([&] { return !IsWindowVisible(dialog); }, 15000);
             }
             r.ForgetBoxes();
             // Every pass clears the memo: what it showed is read while the passes run.
             HWND memo = guidriver::FindControl(r.main(), L"Memo1");
             ASSERT_NE(memo, nullptr);
             std::set<std::string> memoTexts;
             ASSERT_TRUE(r.WaitUntil([&] {
                 memoTexts.insert(Narrow(guidriver::WindowText(memo)));
                 return !fs::exists(r.in / L"a.ps") && fs::exists(r.out / L"a.pdf");
             })) << "a.ps was not converted";
             EXPECT_TRUE(std::any_of(memoTexts.begin(), memoTexts.end(), [](const std::string& text) {
                 return text.find("a.ps") != std::string::npos;
             })) << "the memo never showed the command";
             for (const std::string& text : memoTexts) {
                 for (const std::string& secret : r.secrets) {
                     EXPECT_EQ(text.find(secret), std::string::npos) << text;
                 }
             }
             EXPECT_NE(ReadFileBytes(r.out / L"a.pdf").find("/Encrypt"), std::string::npos) << "not encrypted";
         },
         {"a.pdf"},
         {{L"in\\a.ps", InputEnd::Gone}},
         {L"in\\a.ps"}},

        {"closing the program while Ghostscript loops ends Ghostscript and keeps the input",
         [](Rig& r) { r.Put(r.in / L"loop.ps", LoopingJob()); },
         [](Rig& r) {
             // The console program runs the host's Ghostscript, which names the job by its host path.
             const std::string hostJob = Narrow(r.root().filename().wstring()) + "/data/in/loop.ps";
             r.Start();
             std::vector<DWORD> ghostscripts;
             ASSERT_TRUE(r.WaitUntil([&] {
                 ghostscripts = r.GhostscriptChildren();
                 return !ghostscripts.empty() && !testenv::HostProcessesWith(hostJob).empty();
             })) << "Ghostscript never ran";
             r.Idle(1);
             EXPECT_TRUE(r.Close(20000).has_value()) << "the program did not end while Ghostscript ran";
             for (DWORD id : ghostscripts) {
                 if (HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, id)) {
                     EXPECT_EQ(WaitForSingleObject(child, 10000), WAIT_OBJECT_0) << "Ghostscript outlived the program";
                     CloseHandle(child);
                 }
             }
             EXPECT_TRUE(r.WaitUntil([&] { return testenv::HostProcessesWith(hostJob).empty(); }, 10000))
                 << "the host's Ghostscript outlived the program";
         },
         {},
         {{L"in\\loop.ps", InputEnd::Kept}},
         {}},

        {"one-file start with a file that is not there: \"not found\" and a failure exit code",
         [](Rig& r) { r.automatic = false; },
         [](Rig& r) {
             r.Start(L"missing.ps");
             const auto code = r.WaitForEnd();
             ASSERT_TRUE(code.has_value()) << "the program did not end";
             EXPECT_NE(*code, 0u);
             std::string said = r.Log();
             for (const std::wstring& box : r.boxes()) {
                 said += Narrow(box);
             }
             EXPECT_TRUE(ContainsNoCase(said, "not found")) << said;
         },
         {},
         {},
         {},
         true},

        {"one-file start with a failing job: no output and a failure exit code",
         [](Rig& r) {
             r.automatic = false;
             r.Put(r.in / L"bad.ps", FailingJob());
         },
         [](Rig& r) {
             r.Start((r.in / L"bad.ps").wstring());
             const auto code = r.WaitForEnd();
             ASSERT_TRUE(code.has_value()) << "the program did not end";
             EXPECT_NE(*code, 0u);
         },
         {},
         {{L"in\\bad.ps", InputEnd::Kept}},
         {L"in\\bad.ps"},
         true},

        {"one-file start with a good job: its PDF and exit code 0",
         [](Rig& r) {
             r.automatic = false;
             r.Put(r.in / L"good.ps", Job(2, "good"));
         },
         [](Rig& r) {
             r.Start((r.in / L"good.ps").wstring());
             const auto code = r.WaitForEnd();
             ASSERT_TRUE(code.has_value()) << "the program did not end";
             EXPECT_EQ(*code, 0u);
             EXPECT_EQ(PdfPageCount(ReadFileBytes(r.out / L"good.pdf")), 2);
         },
         {"good.pdf"},
         {{L"in\\good.ps", InputEnd::Gone}},
         {L"in\\good.ps"},
         true},
    };
    return cases;
}

TEST(Faults, EachFaultEndsWithTheRightFilesOnDisk) {
    for (const FaultCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        Rig rig;
        c.arrange(rig);
        c.act(rig);
        if (rig.process().Running()) {
            EXPECT_TRUE(rig.Close().has_value()) << "the program did not end at WM_CLOSE";
        }
        rig.ExpectOutputs(c.outputs);
        for (const InputCheck& input : c.inputs) {
            rig.ExpectInput(rig.data() / input.file, input.end);
        }
        for (const wchar_t* file : c.namedInLog) {
            EXPECT_GE(rig.LogLinesNaming(Ansi(rig.data() / file)), 1)
                << "the log does not name " << Narrow(file) << ":\n"
                << rig.Log();
        }
        if (!c.boxesAllowed) {
            std::string texts;
            for (const std::wstring& box : rig.boxes()) {
                texts += Narrow(box) + "|";
            }
            EXPECT_TRUE(rig.boxes().empty()) << "a box asked for a person: " << texts;
        }
        rig.ExpectOutsideUntouched();
        rig.ExpectNoSecretInProducedFiles();
    }
}

} // namespace
