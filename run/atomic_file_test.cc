// Replacing a file atomically: readers see the old or the new content whole,
// and a failure leaves the file and its directory as they were.
#include "run/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/embedded_db.h"

namespace ravlen {
namespace {

std::string contents(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

size_t filesIn(const std::string& dir) {
  auto files = std::filesystem::directory_iterator(dir);
  return static_cast<size_t>(std::distance(begin(files), end(files)));
}

TEST(AtomicFileTest, AReaderOfTheOldFileKeepsItWhole) {
  testing::TempDir dir;
  std::string path = dir.file("report.json");
  std::ofstream(path) << "old report";
  int reader = open(path.c_str(), O_RDONLY);
  ASSERT_GE(reader, 0);
  mode_t mask = umask(022);
  std::string error;
  EXPECT_TRUE(replaceFileAtomically(path, "new report", &error)) << error;
  umask(mask);

  char buffer[64] = {};
  EXPECT_EQ(read(reader, buffer, sizeof buffer - 1), 10);
  EXPECT_STREQ(buffer, "old report");
  close(reader);
  EXPECT_EQ(contents(path), "new report");
  EXPECT_EQ(filesIn(dir.path()), 1u);
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u) << "readable by monitoring";
}

TEST(AtomicFileTest, AFailureLeavesNothingBehind) {
  testing::TempDir dir;
  std::string error;
  EXPECT_FALSE(replaceFileAtomically(dir.file("missing/report.json"), "x",
                                     &error));
  EXPECT_NE(error.find("missing/report.json"), std::string::npos) << error;

  // A directory in the way: written, but the rename fails.
  std::string inTheWay = dir.file("report.json");
  std::filesystem::create_directory(inTheWay);
  std::ofstream(inTheWay + "/keep") << "kept";
  EXPECT_FALSE(replaceFileAtomically(inTheWay, "x", &error));
  EXPECT_NE(error.find("Umbenennen"), std::string::npos) << error;
  EXPECT_EQ(filesIn(dir.path()), 1u) << "the temporary file is removed";
  EXPECT_EQ(contents(inTheWay + "/keep"), "kept");
}

}  // namespace
}  // namespace ravlen
