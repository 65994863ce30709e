// The command line, read from any arguments (the input split at its zero bytes): it must not crash
// nor read past an argument, must end only with status 0 or 2, and what it returns must come from
// what was typed.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <getopt.h>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/options.h"

namespace {

constexpr size_t MostArguments = 8;

std::jmp_buf ended;
bool reading;
int endStatus;

void Require(bool held) {
    if (!held) {
        std::abort();
    }
}

bool AnyArgument(const std::vector<std::string>& arguments, bool (*test)(std::string_view)) {
    for (const std::string& argument : arguments) {
        if (test(argument)) {
            return true;
        }
    }
    return false;
}

// The long option that takes a value, as far as it is typed: --c to --colours.
bool NamesColours(std::string_view argument) {
    return argument.size() > 2 && std::string_view("--colours").starts_with(argument);
}

// Returned options leave nothing unread: every argument is an option, or the value of the one
// before it.
bool AllOptions(const std::vector<std::string>& arguments) {
    for (size_t at = 0; at < arguments.size(); ++at) {
        if (arguments[at].size() < 2 || arguments[at][0] != '-') {
            return false;
        }
        if (NamesColours(arguments[at])) {
            ++at;
        } else if (arguments[at] == "--") {
            return at + 1 == arguments.size();
        }
    }
    return true;
}

} // namespace

// The ending the parser asks for is taken back to the target while it reads; libFuzzer's own
// endings go through.
extern "C" [[noreturn]] void __real_exit(int status);
extern "C" [[noreturn]] void __wrap_exit(int status) {
    if (!reading) {
        __real_exit(status);
    }
    endStatus = status;
    std::longjmp(ended, 1);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> arguments;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (size_t at = 0; at <= input.size() && arguments.size() < MostArguments;) {
        const size_t end = std::min(input.find('\0', at), input.size());
        arguments.emplace_back(input.substr(at, end - at));
        at = end + 1;
    }
    std::vector<char*> argv;
    std::string name = "zorvendale";
    argv.push_back(name.data());
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    optind = 0; // getopt starts afresh
    reading = true;
    if (setjmp(ended) != 0) {
        reading = false;
        Require(endStatus == 2 || (endStatus == 0 && AnyArgument(arguments, [](auto argument) {
                                       return argument.starts_with('-') &&
                                              argument.find_first_of("hVv") != argument.npos;
                                   })));
        return 0;
    }
    const Options options = ReadOptions(static_cast<int>(argv.size() - 1), argv.data());
    reading = false;
    Require(AllOptions(arguments));
    Require(!options.silent || AnyArgument(arguments, [](auto argument) {
        return argument.starts_with('-') && argument.find('s') != argument.npos;
    }));
    Require(options.colours != ColourForm::Direct ||
            AnyArgument(arguments, [](auto argument) { return argument.ends_with("direct"); }));
    Require(options.colours != ColourForm::Sixteen ||
            AnyArgument(arguments, [](auto argument) { return argument.ends_with("16"); }));
    return 0;
}
