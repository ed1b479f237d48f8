// `veltra check` and `veltra format` on files written here: each report at
// the line and column where the text says it, the rewrite and its refusals.
#include <signal.h>
#include <sys/resource.h>

#include "cli_fixture.h"

namespace {

std::string repeated(const std::string& word, int count) {
    std::string text;
    for (int i = 0; i < count; i++) text += word + " ";
    return text;
}

struct CheckCase {
    bool losesWords;  // format leaves the file alone
    std::string text;
    std::string expected;  // the report's line after "FILE:"; %F: the file
};

const std::string LONG_NAME(60, 'n');
const std::string LONG_MAP(300, 'm');

// One file per kind of report and per way of telling it; a tab counts as one column.
const CheckCase CHECK_CASES[] = {
    {true, "a {\n {\n\t\tglow\n }\n}\n",
     "3:3: 'glow' is not a stage keyword; skipped [unknown-word]"},
    {false, "a { {\n\tmap safe } }", "2:6: 'map' takes 'safe' as its argument [taken-as-argument]"},
    {true, "a { { scale static 2 static blendfunc GL_ONE GL_ONE } }",
     "1:29: 'scale' takes 'blendfunc' as its argument [taken-as-argument]"},
    {true, "a { { scroll sine 1 wobble 2 } }",
     "1:21: unknown wave 'wobble' is read as static [unknown-wave]"},
    {true, "a { { blendfunc GL_ONE GL_HALF } }",
     "1:24: unknown blend factor 'GL_HALF' is read as GL_ZERO [unknown-blend]"},
    {false, "a\n{\n\tsafe\n",
     "2:1: this '{' of script 'a' is not closed by the end of the file [unclosed-body]"},
    {false, "a {\n  { map x.tga\n",
     "2:3: this '{' of script 'a' is not closed by the end of the file [unclosed-body]"},
    {true, "b {\n { map }\n }",
     "1:3: this '{' of script 'b' is not closed by the end of the file; the '}' at %F:2:8 is "
     "taken as the argument of 'map' [unclosed-body]"},
    {true, "  { safe }\na { }\n", "1:3: a body before any script name is skipped [nameless-body]"},
    {true, "a { { { } }", "1:7: '{' inside a stage is skipped: stages do not nest [nested-stage]"},
    {true, "\n" + LONG_NAME + " { }",
     "2:1: script name cut to 47 characters: '" + LONG_NAME.substr(0, 47) + "' [name-cut]"},
    {true, LONG_NAME + "1 { }\n" + LONG_NAME + "2 { }",
     "2:1: cut to 47 characters, script name '" + LONG_NAME + "2' is the same as '" + LONG_NAME +
         "1' at %F:1:1, which it replaces [cut-name-clash]"},
    {true, "a { { map " + LONG_MAP + " } }",
     "1:11: name after 'map' cut to 255 characters [name-cut]"},
    {true, "a { { anim 1 x " + LONG_MAP + " end } }",
     "1:16: name after 'anim' cut to 255 characters [name-cut]"},
    {false, "a {\n subdivide 100\n}", "2:12: subdivide 100 is read as 64 [subdivide-rounded]"},
    {false, "a { vertexwarp 1 2 0 }",
     "1:20: vertexwarp smoothness 0 is read as 0.001 [smoothness-clamped]"},
    {true, "a { { anim 1 " + repeated("f", 255) + "g h end } }",
     "1:524: more than 255 frames: 'g' and the names after it are dropped [too-many-frames]"},
    {true, "a { { anim 1 x end\n  anim 2 y end } }",
     "2:3: a second 'anim' replaces the frames of the first [repeated-keyword]"},
    {true, "a {\n { map one.tga\n   map two.tga } }",
     "3:4: 'map' again in this stage: the one at %F:2:4 is lost [repeated-keyword]"},
    {true, "a { safe\tSAFE }",
     "1:10: 'SAFE' again in this script changes nothing [repeated-keyword]"},
    {true, "a { { scroll sine 0,5 static 1 } }",
     "1:19: '0,5' is not a number; read as 0 [not-a-number]"},
    {true, "a { subdivide 16.5 }", "1:15: '16.5' is not a whole number; read as 16 [not-a-number]"},
    {true, "a {\n\t/* safe */\n}",
     "2:2: '/*' starts no comment in Veltra: 'safe' on this line is read [comment-word]"},
    {true, "# fire\nfire { }",
     "1:1: '#' starts no comment in Veltra: '#' names a script [comment-word]"},
    {true, "a { {\n // glow brightly\n } }",
     "2:2: '//' starts no comment in Veltra: it and the words after it on this line are skipped "
     "[comment-word]"},
    {true, "a { { map /pics/x.tga } }",
     "1:11: texture name '/pics/x.tga' is never looked up in a folder: it is absolute "
     "[unsafe-texture-name]"},
    {true, "a { { anim 1 x.tga ..\\y.tga end } }",
     "1:20: texture name '..\\y.tga' is never looked up in a folder: it holds '..' "
     "[unsafe-texture-name]"},
    {true, "a { }\n\tA { }\n",
     "2:2: script 'A' replaces the one of the same name at %F:1:1 [replaced-script]"},
    {true, "a {\n\t[ editorimage", "2:2: '[' is not a script keyword; skipped [unknown-word]"},
    {true, std::string("a { }\n b\0 { }", 13),
     "2:3: a NUL byte: nothing after it is read [nul-byte]"},
};

}  // namespace

// Each report in check's words; format refuses the rewrite where it would lose words.
TEST_F(CliTest, CheckReportsEachKindWhereTheTextSaysIt) {
    for (const auto& [losesWords, text, line] : CHECK_CASES) {
        SCOPED_TRACE(text);
        const std::string file = write("case.txt", text);
        std::string expected = file + ":" + line + "\n";
        for (size_t at; (at = expected.find("%F")) != std::string::npos;)
            expected.replace(at, 2, file);
        const CliRun run = veltra({"check", file});
        EXPECT_EQ(run.status, EXIT_REPORTED);
        EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "not in\n" << run.out;
        EXPECT_EQ(veltra({"format", file}).status, losesWords ? EXIT_REPORTED : EXIT_CLEAN);
        EXPECT_EQ(contents(file) == text, losesWords);
    }
}

// A command given several files exits with the worst status of any file, wherever it stands.
// A file that cannot be read is told with why, and the other files are still read.
TEST_F(CliTest, ExitStatusIsTheWorstOfAllFilesInAnyOrder) {
    const std::string clean = write("clean.txt", "a\n{\n}\n\n");
    const std::string lossy = write("lossy.txt", "b { glow }\n");
    const std::string unlaid = write("unlaid.txt", "c { }");
    const std::string missing = path("missing.txt");
    const std::string unread = "veltra: " + missing + ": cannot read: No such file or directory\n";
    const struct {
        std::vector<std::string> command;
        std::string failing;
        int status;
        std::string err;  // in either order
    } rows[] = {
        {{"check"}, lossy, EXIT_REPORTED, "1 problem in 2 files\n"},
        {{"check"}, missing, EXIT_TROUBLE, unread + "0 problems in 1 file\n"},
        {{"format"}, lossy, EXIT_REPORTED, "1 problem in 2 files\n"},
        {{"format", "--check"}, unlaid, EXIT_REPORTED, "0 problems in 2 files\n"},
        {{"format", "--check"}, missing, EXIT_TROUBLE, unread + "0 problems in 1 file\n"},
        {{"thumbnails", "-o", path("thumbs")}, missing, EXIT_TROUBLE, unread},
    };
    for (const auto& [command, failing, status, err] : rows) {
        for (bool failingFirst : {true, false}) {
            std::vector<std::string> args = command;
            args.push_back(failingFirst ? failing : clean);
            args.push_back(failingFirst ? clean : failing);
            SCOPED_TRACE(testing::PrintToString(args));
            const CliRun run = veltra(args);
            EXPECT_EQ(run.status, status);
            EXPECT_EQ(run.err, err);
        }
        std::vector<std::string> args = command;
        args.push_back(clean);
        EXPECT_EQ(veltra(args).status, EXIT_CLEAN) << testing::PrintToString(args);
    }
}

// '-' is standard input: check names it <stdin>, format writes the result to standard output
// (the text as it came when it would lose words), its reports to standard error.
TEST_F(CliTest, DashReadsStandardInput) {
    const std::string told =
        "<stdin>:1:5: 'glow' is not a script keyword; skipped [unknown-word]\n";
    const struct {
        std::string command;
        std::string in;
        int status;
        std::string out;
        std::string err;
    } rows[] = {
        {"check", "a { glow }", EXIT_REPORTED, told, "1 problem in 1 file\n"},
        {"format", "a { glow }", EXIT_REPORTED, "a { glow }", told + "1 problem in 1 file\n"},
        {"format", "a { }", EXIT_CLEAN, "a\n{\n}\n\n", "0 problems in 1 file\n"},
    };
    for (const auto& [command, in, status, out, err] : rows) {
        SCOPED_TRACE(command + " < " + in);
        ASSERT_NE(freopen(write("in.txt", in).c_str(), "r", stdin), nullptr);
        const CliRun run = veltra({command, "-"});
        EXPECT_EQ(run.status, status);
        EXPECT_EQ(run.out, out);
        EXPECT_EQ(run.err, err);
    }
    EXPECT_NE(freopen("/dev/null", "r", stdin), nullptr);
}

// --ignore leaves kinds out of the report, the status and format's refusal; the summary counts
// the rest. A script replacing one of an earlier file names its place there. What the layout
// cannot hold is told at no line; --drop-unknown rewrites all the same. Help names every kind.
TEST_F(CliTest, IgnoredKindsDroppedWordsAndTheSummary) {
    const std::string one = write("one.txt", "\n a { glow\n # safe\n { map ab nolightmap } }\n");
    const std::string two = write("two.txt", "A { }\n");
    CliRun run = veltra({"check", "--ignore", "comment-word", one, two});
    EXPECT_EQ(run.out, one + ":2:6: 'glow' is not a script keyword; skipped [unknown-word]\n" +
                           two + ":1:1: script 'A' replaces the one of the same name at " + one +
                           ":2:2 [replaced-script]\n");
    EXPECT_EQ(run.err, "2 problems in 2 files\n");
    run = veltra({"format", "--ignore", "unknown-word,comment-word", one});
    EXPECT_EQ(run.status, EXIT_REPORTED);
    EXPECT_EQ(run.out, one + ": stage 0 of script 'a': 'nolightmap' is not kept [not-kept]\n" +
                           one + ": stage 0 of script 'a': map 'ab' is too short to be kept " +
                           "[not-kept]\n");
    EXPECT_EQ(run.err, "2 problems in 1 file\n");
    EXPECT_EQ(veltra({"format", "--drop-unknown", one}).status, EXIT_CLEAN);
    EXPECT_EQ(contents(one), "a\n{\n\tsafe\n\t{\n\t}\n}\n\n");
    const std::string help = veltra({"check", "--help"}).out;
    for (int kind = 0; kind < PROBLEM_KIND_COUNT; kind++)
        EXPECT_NE(help.find(problemKindName((ProblemKind)kind)), std::string::npos) << kind;
}

// One JSON array; its strings escape quotes and control bytes, and bytes that are not UTF-8
// become U+FFFD.
TEST_F(CliTest, CheckJsonEscapesWhatItQuotes) {
    const std::string file = write("q\"d.txt", "a {\n\t\"x\"\x01\n\t\xff\xc3\xa9\n}\n");
    const std::string entry = "  {\"file\": \"" + dir + "/q\\\"d.txt\", \"line\": ";
    EXPECT_EQ(veltra({"check", "--json", file}).out,
              "[\n" + entry + "2, \"column\": 2, \"kind\": \"unknown-word\", \"message\": " +
                  "\"'\\\"x\\\"\\u0001' is not a script keyword; skipped\"},\n" + entry +
                  "3, \"column\": 2, \"kind\": \"unknown-word\", \"message\": " +
                  "\"'\\ufffd\xc3\xa9' is not a script keyword; skipped\"}\n]\n");
    EXPECT_EQ(veltra({"check", "--json", VELTRA_EXAMPLES_DIR "/demo.txt"}).out, "[]\n");
}

// Past the file-size limit every write fails, even for root: the rewrite is trouble.
TEST_F(CliTest, FormatFailingToWriteIsTrouble) {
    const std::string file = write("limited.txt", "a { { map " + std::string(200, 'm') + " } }\n");
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    const struct rlimit small = {256, saved.rlim_max};  // room for the messages, not the text
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const CliRun run = veltra({"format", file});
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(run.status, EXIT_TROUBLE);
    EXPECT_EQ(run.err.rfind("veltra: " + file + ": cannot", 0), 0u) << run.err;
}

// Help and the version on standard output; a wrong command line told on standard error.
TEST_F(CliTest, HelpVersionAndUsageErrors) {
    EXPECT_EQ(veltra({"--version"}).out, "veltra " VELTRA_VERSION "\n");
    for (const char* command : {"check", "format", "render", "thumbnails"}) {
        const CliRun run = veltra({command, "--help"});
        EXPECT_EQ(run.status, EXIT_CLEAN) << command;
        EXPECT_EQ(run.out.rfind(std::string("Usage: veltra ") + command, 0), 0u) << command;
    }
    const std::string demo = VELTRA_EXAMPLES_DIR "/demo.txt";
    const std::string missing = path("missing.txt");
    const std::pair<std::vector<std::string>, std::string> wrong[] = {
        {{"check"}, "veltra check: no FILE given"},
        {{"check", "--ignore", "glow", demo}, "veltra check: no kind of problem is called 'glow'"},
        {{"render", "a.txt", "a", "--size", "0x5", "-o", "a.png"}, "veltra render: --size needs"},
        {{"thumbnails", "a.txt", "--size", "9x9", "-o", "t"}, "veltra thumbnails: --size needs"},
        {{"render", missing, "a", "-o", "a.png"}, "veltra: " + missing + ": cannot read: No such"},
        {{"render", demo, "absent", "-o", "a.png"}, "veltra: " + demo + ": no script 'absent'"},
        {{"frobnicate"}, "veltra: unknown command 'frobnicate'"},
    };
    for (const auto& [args, told] : wrong) {
        const CliRun run = veltra(args);
        EXPECT_EQ(run.status, EXIT_TROUBLE) << told;
        EXPECT_EQ(run.err.rfind(told, 0), 0u) << run.err;
    }
}
