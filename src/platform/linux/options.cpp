#include "platform/linux/options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <getopt.h>

namespace {

constexpr char Name[] = "zorvendale";

constexpr char Help[] =
    "Usage: zorvendale [OPTION]\n"
    "A red-and-white checkered ball bounces, spins and casts a shadow over a gridded\n"
    "background in this terminal, with a short sound at each floor bounce.\n"
    "\n"
    "Options:\n"
    "  -s, --silent       run without a sound device: the bounces make no sound\n"
    "  --colours=direct   draw in the classic console colours, as direct colour\n"
    "  --colours=16       draw in the terminal's own 16 colours\n"
    "                     (without either: direct colour where the terminal shows it)\n"
    "  -h, --help         show this help and exit\n"
    "  -V, --version      show the version and exit\n"
    "\n"
    "Keys:\n"
    "  q, Q               quit\n"
    "  Ctrl-C             quit\n"
    "  Ctrl-Z             suspend; fg resumes\n"
    "\n"
    "The picture takes 60 by 40 cells; in a terminal of 60 by 20 to 39 it is drawn at\n"
    "half height (UTF-8 locales), and a smaller one shows how much room it needs.\n";

[[noreturn]] void RefuseUsage(const char* before, const char* argument, const char* after) {
    std::fprintf(stderr, "%s: %s'%s'%s (see %s --help)\n", Name, before, argument, after, Name);
    std::exit(2);
}

// Names the option as typed: the one short letter, or a long option without any value given.
[[noreturn]] void RefuseOption(const char* typed, int letter) {
    if (std::strncmp(typed, "--", 2) != 0) {
        const char shortOption[] = {'-', static_cast<char>(letter), '\0'};
        RefuseUsage("unknown option ", shortOption, "");
    }
    char name[64];
    std::snprintf(name, sizeof name, "%.*s", static_cast<int>(std::strcspn(typed, "=")), typed);
    // getopt names the letter of a known long option only when it was given a value.
    if (letter != 0) {
        RefuseUsage("option ", name, " takes no value");
    }
    RefuseUsage("unknown option ", name, "");
}

ColourForm ReadColourForm(const char* value) {
    if (std::strcmp(value, "direct") == 0) {
        return ColourForm::Direct;
    }
    if (std::strcmp(value, "16") != 0) {
        RefuseUsage("--colours takes direct or 16, not ", value, "");
    }
    return ColourForm::Sixteen;
}

} // namespace

Options ReadOptions(int argc, char** argv) {
    static const option Long[] = {{"silent", no_argument, nullptr, 's'},
                                  {"help", no_argument, nullptr, 'h'},
                                  {"version", no_argument, nullptr, 'V'},
                                  {"colours", required_argument, nullptr, 'C'},
                                  {nullptr, 0, nullptr, 0}};
    Options options = {false, ColourForm::Unsettled};
    opterr = 0; // our own one-line messages
    for (int letter; (letter = getopt_long(argc, argv, ":shV", Long, nullptr)) != -1;) {
        switch (letter) {
        case 's':
            options.silent = true;
            break;
        case 'h':
            std::fputs(Help, stdout);
            std::exit(0);
        case 'C':
            options.colours = ReadColourForm(optarg);
            break;
        case ':':
            RefuseUsage("option ", argv[optind - 1], " needs a value");
        case 'V':
            std::printf("%s %s\n", Name, ZORVENDALE_VERSION);
            std::exit(0);
        default:
            RefuseOption(argv[optind - 1], optopt);
        }
    }
    if (optind < argc) {
        RefuseUsage("unexpected argument ", argv[optind], "");
    }
    return options;
}
