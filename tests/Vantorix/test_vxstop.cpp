// The stop tool against real processes: copies of a sleeping program named
// like the main program (and one named in capitals) in a temporary folder.
// All phases are in one test, because every run of the tool may end any
// process of that name.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "vxtestsupport.h"

namespace fs = std::filesystem;

namespace {

vxtest::RunResult runStop(const vxtest::TempTree& tree, const std::string& option = "")
{
    std::vector<std::string> argv = {vxtest::program("vxStop")};
    if (!option.empty()) argv.push_back(option);
    return vxtest::run(argv, tree.work());
}

bool ended(vxtest::Process& p) { return !p.running(); }

}  // namespace

TEST(VxStop, EndsOneMainProgramPerRun)
{
    vxtest::TempTree tree;
    const std::string fake = tree.path("bin/vxMain"), capitals = tree.path("bin/VXMAIN");
    fs::create_directories(tree.path("bin"));
    fs::copy_file("/bin/sleep", fake);
    fs::copy_file("/bin/sleep", capitals);

    vxtest::Process upper({capitals, "60"}, tree.work());
    auto first = std::make_unique<vxtest::Process>(std::vector<std::string>{fake, "60"}, tree.work());
    auto second = std::make_unique<vxtest::Process>(std::vector<std::string>{fake, "60"}, tree.work());
    // The tool looks at the executable: wait until both have run exec.
    auto execed = [&](int pid) {
        std::error_code ec;
        return fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec) == fake;
    };
    ASSERT_TRUE(vxtest::waitFor([&] { return execed(first->pid()) && execed(second->pid()); }));

    // First run: exactly one of the two ends, and the line names it.
    vxtest::RunResult r = runStop(tree);
    EXPECT_EQ(r.exitCode, 0);
    ASSERT_TRUE(vxtest::waitFor([&] { return ended(*first) || ended(*second); }));
    vxtest::Process& gone = ended(*first) ? *first : *second;
    vxtest::Process& left = ended(*first) ? *second : *first;
    EXPECT_TRUE(left.running());
    EXPECT_EQ(vxtest::countLines(r.out, "Terminated Process ID: " + std::to_string(gone.pid()) + ", name: vxMain"), 1)
        << r.out;

    // Second run, with an unregistered option: reported, and the other one ends.
    r = runStop(tree, "-x");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(vxtest::countLines(r.out, "Option: x, not defined in option string"), 1) << r.out;
    EXPECT_TRUE(vxtest::waitFor([&] { return ended(left); }));

    // Nothing of that name left: nothing happens; capitals are another name.
    r = runStop(tree);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(vxtest::countLines(r.out, "Terminated"), 0) << r.out;
    EXPECT_TRUE(upper.running());
}
