// The program's command line: our options, Qt's options left for Qt, everything else refused.
#include <gtest/gtest.h>

#include <vector>

#include "app/ProgramOptions.h"

namespace {

ProgramOptions read(std::vector<const char*> args) {
    args.insert(args.begin(), "zelkar");
    return readProgramOptions(int(args.size()), args.data());
}

}  // namespace

TEST(ProgramOptions, OursQtsAndRefusals) {
    using A = ProgramOptions::Action;
    const struct {
        std::vector<const char*> args;
        A action;
        const char* error;
    } cases[] = {
        {{}, A::run, ""},
        {{"--help"}, A::help, ""},
        {{"-V", "-h"}, A::help, ""},  // help wins over version
        {{"--version"}, A::version, ""},
        {{"-platform", "offscreen", "--style=fusion", "-reverse", "--display", ":1"}, A::run, ""},
        {{"--bogus"}, A::refuse, "unknown option '--bogus'"},
        {{"-reverse=1"}, A::refuse, "unknown option '-reverse=1'"},
        {{"-platform=xcb"}, A::refuse, "unknown option '-platform=xcb'"},  // Qt would ignore it
        {{"-platform"}, A::refuse, "option '-platform' needs a value"},
        {{"profile.ini"}, A::refuse, "unexpected argument 'profile.ini'"},
        {{"-"}, A::refuse, "unexpected argument '-'"},
        {{"--help", "--bogus"}, A::refuse, "unknown option '--bogus'"},
    };
    for (const auto& c : cases) {
        const ProgramOptions options = read(c.args);
        EXPECT_EQ(options.action, c.action) << (c.args.empty() ? "(none)" : c.args[0]);
        EXPECT_EQ(options.error, c.error);
    }
    EXPECT_EQ(programVersion().rfind("zelkar ", 0), 0u);
    EXPECT_EQ(programVersion().find('\n'), std::string::npos);
}
