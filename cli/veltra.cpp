// The command line: which command, its options, and the help texts.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "cli.h"

namespace {

// The kinds of problem, as problemKindName gives them, for the help.
#define PROBLEM_KINDS_HELP                                                        \
    "                     unknown-word nested-stage taken-as-argument\n"          \
    "                     unclosed-body nameless-body name-cut cut-name-clash\n"  \
    "                     replaced-script subdivide-rounded smoothness-clamped\n" \
    "                     unknown-wave unknown-blend too-many-frames\n"           \
    "                     repeated-keyword not-a-number comment-word\n"           \
    "                     unsafe-texture-name nul-byte not-kept\n"

const char* const USAGE =
    "Usage: veltra COMMAND [OPTIONS] FILE...\n"
    "\n"
    "Veltra shader script files without a window.\n"
    "\n"
    "Commands:\n"
    "  check       report what the reader skips, cuts or changes\n"
    "  format      rewrite files in the editor's layout\n"
    "  render      draw one script into a PNG, as the preview draws it\n"
    "  thumbnails  draw every script into a folder of PNGs with an index\n"
    "\n"
    "  veltra COMMAND --help   tells more about a command\n"
    "  veltra --version        tells the version\n";

const char* const CHECK_HELP =
    "Usage: veltra check [--json] [--ignore KIND,...] FILE...\n"
    "\n"
    "Reads the files in order, as File > Open does, and reports each place where\n"
    "the file does not say what its author probably meant, as FILE:LINE:COLUMN:\n"
    "message [KIND]; then \"N problems in M files\" on standard error. FILE - is\n"
    "standard input. Exit status: 0 nothing reported, 1 something reported, 2 a\n"
    "file could not be read.\n"
    "\n"
    "  --json             the same as one JSON array of\n"
    "                     {file, line, column, kind, message}\n"
    "  --ignore KIND,...  leaves these kinds out:\n" PROBLEM_KINDS_HELP;

const char* const FORMAT_HELP =
    "Usage: veltra format [--check] [--drop-unknown] [--ignore KIND,...] FILE...\n"
    "\n"
    "Rewrites each file in the writer's layout, replacing it only once the new\n"
    "text is on disk. A file whose rewrite would lose or change words is left\n"
    "alone and what would be lost is reported (exit status 1). FILE - formats\n"
    "standard input onto standard output, reports going to standard error.\n"
    "\n"
    "  --check            change nothing; exit 1 when a file is not in the layout\n"
    "  --drop-unknown     rewrite even when words are lost\n"
    "  --ignore KIND,...  neither report nor keep a file for these kinds (see\n"
    "                     veltra check --help)\n";

const char* const RENDER_HELP =
    "Usage: veltra render FILE SCRIPT [--time SECONDS] [--size WxH]\n"
    "                     [--textures DIR]... -o OUT.png\n"
    "\n"
    "Draws the script as the preview draws it SECONDS after its clock starts\n"
    "(default 0), at the preview window's size unless --size says otherwise.\n"
    "Texture names are looked up beside FILE, then in each --textures folder;\n"
    "a name found nowhere draws the placeholder and is told on standard error.\n";

const char* const THUMBNAILS_HELP =
    "Usage: veltra thumbnails FILE... -o DIR [--size N] [--time SECONDS]\n"
    "                         [--textures DIR]...\n"
    "\n"
    "Draws every script of the files into DIR, one N x N PNG each (default 128),\n"
    "named from the script name made safe for a file name (a second name that\n"
    "comes out the same gains -2, -3, ...), and writes DIR/index.json mapping\n"
    "script names to the PNGs. A damaged or missing image draws the placeholder.\n";

// Walks the arguments after the command: options with their values
// ("--size 64" or "--size=64") and plain words.
struct Arguments {
    int count = 0;
    const char* const* values = nullptr;
    int next = 0;
    std::vector<std::string> words;
    std::string error;

    // Whether argument i is the option; its value, when it takes one, goes to value.
    bool option(const char* name, std::string* value) {
        const char* argument = values[next];
        const size_t length = strlen(name);
        if (strncmp(argument, name, length) != 0) return false;
        if (argument[length] == '=' && value) {
            *value = argument + length + 1;
        } else if (argument[length] != '\0') {
            return false;
        } else if (value) {
            if (next + 1 >= count) {
                error = std::string(name) + " needs a value";
                return true;
            }
            *value = values[++next];
        }
        next++;
        return true;
    }

    bool more() const { return next < count && error.empty(); }

    // The current argument, which no option took: a word, or an unknown option.
    void takeWord() {
        const char* argument = values[next];
        if (argument[0] == '-' && argument[1] != '\0')
            error = std::string("unknown option ") + argument;
        else
            words.push_back(values[next++]);
    }

    // False with the message written when the command line was wrong.
    bool fine(const char* command, FILE* err) {
        if (error.empty() && words.empty()) error = "no FILE given";
        if (error.empty()) return true;
        fprintf(err, "veltra %s: %s\nTry 'veltra %s --help'.\n", command, error.c_str(), command);
        return false;
    }
};

bool parseNumber(const std::string& text, double& number) {
    char* end = nullptr;
    number = strtod(text.c_str(), &end);  // the C locale: the program never sets another
    return !text.empty() && *end == '\0' && std::isfinite(number);
}

bool parseSize(const std::string& text, bool square, int& width, int& height) {
    char* end = nullptr;
    long w = strtol(text.c_str(), &end, 10);
    long h = w;
    if (!square) {
        if (*end != 'x' && *end != 'X') return false;
        h = strtol(end + 1, &end, 10);
    }
    if (*end != '\0' || w < 1 || h < 1 || w > 8192 || h > 8192) return false;
    width = (int)w;
    height = (int)h;
    return true;
}

bool wantsHelp(int argc, const char* const* argv) {
    for (int i = 0; i < argc; i++)
        if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) return true;
    return false;
}

int runCheck(Arguments& args, CliStreams io) {
    CheckOptions options;
    std::string kinds;
    while (args.more()) {
        if (args.option("--json", nullptr))
            options.json = true;
        else if (args.option("--ignore", &kinds) && args.error.empty())
            addIgnoredKinds(kinds, options.ignored, args.error);
        else
            args.takeWord();
    }
    if (!args.fine("check", io.err)) return EXIT_TROUBLE;
    options.files = args.words;
    return commandCheck(options, io);
}

int runFormat(Arguments& args, CliStreams io) {
    FormatOptions options;
    std::string kinds;
    while (args.more()) {
        if (args.option("--check", nullptr))
            options.checkOnly = true;
        else if (args.option("--drop-unknown", nullptr))
            options.dropUnknown = true;
        else if (args.option("--ignore", &kinds) && args.error.empty())
            addIgnoredKinds(kinds, options.ignored, args.error);
        else
            args.takeWord();
    }
    if (!args.fine("format", io.err)) return EXIT_TROUBLE;
    options.files = args.words;
    return commandFormat(options, io);
}

// The options render and thumbnails share; square: --size is one number.
void parseDrawing(Arguments& args, bool square, RenderOptions& options) {
    std::string value;
    while (args.more()) {
        if (args.option("--time", &value)) {
            if (args.error.empty() && (!parseNumber(value, options.seconds) ||
                                       options.seconds < 0 || options.seconds > 1e5))
                args.error = "--time needs seconds from 0 to 100000";
        } else if (args.option("--size", &value)) {
            if (args.error.empty() && !parseSize(value, square, options.width, options.height))
                args.error = square ? "--size needs a number of pixels from 1 to 8192"
                                    : "--size needs WxH, each from 1 to 8192";
        } else if (args.option("--textures", &value)) {
            options.textureFolders.push_back(value);
        } else if (args.option("-o", &value) || args.option("--output", &value)) {
            options.output = value;
        } else {
            args.takeWord();
        }
    }
    if (args.error.empty() && options.output.empty()) args.error = "no -o given";
}

int runRender(Arguments& args, CliStreams io) {
    RenderOptions options;
    previewWindowSize(options.width, options.height);
    parseDrawing(args, false, options);
    if (args.error.empty() && args.words.size() != 2) args.error = "needs FILE and SCRIPT";
    if (!args.fine("render", io.err)) return EXIT_TROUBLE;
    options.files = {args.words[0]};
    options.script = args.words[1];
    return commandRender(options, io);
}

int runThumbnails(Arguments& args, CliStreams io) {
    RenderOptions options;
    options.width = DEFAULT_THUMBNAIL_SIZE;
    options.height = DEFAULT_THUMBNAIL_SIZE;
    parseDrawing(args, true, options);
    if (!args.fine("thumbnails", io.err)) return EXIT_TROUBLE;
    options.files = args.words;
    return commandThumbnails(options, io);
}

struct Command {
    const char* name;
    int (*run)(Arguments& args, CliStreams io);
    const char* help;
};

const Command COMMANDS[] = {
    {"check", runCheck, CHECK_HELP},
    {"format", runFormat, FORMAT_HELP},
    {"render", runRender, RENDER_HELP},
    {"thumbnails", runThumbnails, THUMBNAILS_HELP},
};

}  // namespace

int runVeltra(int argc, const char* const* argv, CliStreams io) {
    if (argc < 2) {
        fputs(USAGE, io.err);
        return EXIT_TROUBLE;
    }
    const char* name = argv[1];
    if (strcmp(name, "--help") == 0 || strcmp(name, "-h") == 0 || strcmp(name, "help") == 0) {
        fputs(USAGE, io.out);
        return EXIT_CLEAN;
    }
    if (strcmp(name, "--version") == 0) {
        fprintf(io.out, "veltra %s\n", VELTRA_VERSION);
        return EXIT_CLEAN;
    }
    for (const Command& command : COMMANDS) {
        if (strcmp(name, command.name) != 0) continue;
        if (wantsHelp(argc - 2, argv + 2)) {
            fputs(command.help, io.out);
            return EXIT_CLEAN;
        }
        Arguments args;
        args.count = argc - 2;
        args.values = argv + 2;
        return command.run(args, io);
    }
    fprintf(io.err, "veltra: unknown command '%s'\n\n%s", name, USAGE);
    return EXIT_TROUBLE;
}
