// The matching rule and the DriverVer parse on plain bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "identification/driver_version.h"
#include "identification/hardware_id_match.h"

namespace {

constexpr char kWanted[] = "USB\\VID_2E7A&PID_1101";

// A 260-byte working buffer holding `list`, followed by more bytes the rule must never reach.
struct WorkingBufferWithTail {
  explicit WorkingBufferWithTail(const std::string& list, const std::string& tail = std::string()) {
    std::memset(bytes, 0, sizeof bytes);
    std::memcpy(bytes, list.data(), std::min(list.size(), rm::kDeviceTextCapacity));
    std::memcpy(bytes + rm::kDeviceTextCapacity, tail.data(), tail.size());
  }
  bool Contains(const char* wanted) {
    return rm::HardwareIdListContains(bytes, rm::kDeviceTextCapacity, wanted);
  }
  char bytes[rm::kDeviceTextCapacity + 40];
};

std::string List(std::initializer_list<std::string> strings) {
  std::string list;
  for (const std::string& text : strings) list += text + '\0';
  return list + '\0';
}

TEST(HardwareIdListContains, ComparesWholePiecesWithoutLetterCase) {
  EXPECT_TRUE(WorkingBufferWithTail(List({"usb\\vid_2e7a&pid_1101"})).Contains(kWanted));
  EXPECT_FALSE(WorkingBufferWithTail(List({"USB\\VID_2E7A&PID_1101&REV_0100"})).Contains(kWanted))
      << "a revision suffix without a comma makes another ID";
  EXPECT_FALSE(WorkingBufferWithTail(List({"USB\\VID_2E7A&PID_110"})).Contains(kWanted))
      << "a prefix of the wanted ID is not the ID";
  EXPECT_TRUE(WorkingBufferWithTail(List({"USB\\VID_2E7A&PID_1101,MI_00"})).Contains(kWanted));
}

TEST(HardwareIdListContains, ExaminesEveryPieceOfEveryString) {
  EXPECT_TRUE(
      WorkingBufferWithTail(List({"USB\\OTHER", "USB\\VID_2E7A&PID_1101"})).Contains(kWanted));
  EXPECT_TRUE(WorkingBufferWithTail(List({"USB\\OTHER,USB\\VID_2E7A&PID_1101"})).Contains(kWanted));
  EXPECT_TRUE(WorkingBufferWithTail(List({",,USB\\VID_2E7A&PID_1101"})).Contains(kWanted))
      << "leading commas are skipped";
  EXPECT_FALSE(WorkingBufferWithTail(List({"USB\\OTHER", "USB\\THIRD"})).Contains(kWanted));
  EXPECT_FALSE(WorkingBufferWithTail(std::string()).Contains(kWanted)) << "empty list";
}

TEST(HardwareIdListContains, StringEndingInCommaEndsTheExamination) {
  EXPECT_FALSE(
      WorkingBufferWithTail(List({"USB\\OTHER,", "USB\\VID_2E7A&PID_1101"})).Contains(kWanted));
  EXPECT_TRUE(WorkingBufferWithTail(List({"USB\\VID_2E7A&PID_1101,"})).Contains(kWanted))
      << "the piece before the comma is still compared";
}

TEST(HardwareIdListContains, StringOfOnlyCommasEndsWithoutFailing) {
  EXPECT_FALSE(WorkingBufferWithTail(List({",,,", "USB\\VID_2E7A&PID_1101"})).Contains(kWanted));
  EXPECT_FALSE(WorkingBufferWithTail(List({","})).Contains(kWanted));
  EXPECT_FALSE(WorkingBufferWithTail(std::string(rm::kDeviceTextCapacity, ',')).Contains(kWanted));
}

TEST(HardwareIdListContains, NeverReadsPastTheWorkingBuffer) {
  // The wanted ID ends at the last byte of the buffer with no NUL; the bytes behind the
  // buffer would complete it.
  const std::string id(kWanted);
  std::string filling(rm::kDeviceTextCapacity - id.size() - 1, 'X');
  WorkingBufferWithTail unterminated(filling + "," + id, std::string(1, '\0'));
  EXPECT_FALSE(unterminated.Contains(kWanted));
  EXPECT_EQ(unterminated.bytes[rm::kDeviceTextCapacity], '\0')
      << "nothing written behind the buffer";

  // The same ID one byte earlier, closed by the buffer's last byte: found.
  filling.pop_back();
  WorkingBufferWithTail closed(filling + "," + id + '\0');
  EXPECT_TRUE(closed.Contains(kWanted));

  // A buffer full of one piece with a comma in the tail.
  WorkingBufferWithTail fullPiece(std::string(rm::kDeviceTextCapacity, 'A'), ",");
  EXPECT_FALSE(fullPiece.Contains(kWanted));
  EXPECT_EQ(fullPiece.bytes[rm::kDeviceTextCapacity], ',');
}

TEST(ParseDriverVersionLine, TakesTheFirstThreeNumbersOfTheVersionField) {
  rm::DriverVersionNumbers version = rm::ParseDriverVersionLine("05/17/2004,5.1.22.0");
  EXPECT_EQ(version.major, 5);
  EXPECT_EQ(version.minor, 1);
  EXPECT_EQ(version.build, 22);

  version = rm::ParseDriverVersionLine("05/17/2004,05.001.0022.7,extra");
  EXPECT_EQ(version.major, 5) << "leading zeros";
  EXPECT_EQ(version.minor, 1);
  EXPECT_EQ(version.build, 22);

  version = rm::ParseDriverVersionLine(",,05/17/2004,,10.2.3");
  EXPECT_EQ(version.major, 10) << "empty fields are skipped as strtok skips them";
  EXPECT_EQ(version.minor, 2);
  EXPECT_EQ(version.build, 3);
}

TEST(ParseDriverVersionLine, MissingFieldOrNumbersGiveZero) {
  rm::DriverVersionNumbers version = rm::ParseDriverVersionLine("05/17/2004");
  EXPECT_EQ(version.major, 0);
  EXPECT_EQ(version.minor, 0);
  EXPECT_EQ(version.build, 0);

  version = rm::ParseDriverVersionLine("05/17/2004,7.3");
  EXPECT_EQ(version.major, 7);
  EXPECT_EQ(version.minor, 3);
  EXPECT_EQ(version.build, 0);

  version = rm::ParseDriverVersionLine("05/17/2004,..4");
  EXPECT_EQ(version.major, 4) << "empty pieces are skipped";
  EXPECT_EQ(version.minor, 0);

  version = rm::ParseDriverVersionLine("");
  EXPECT_EQ(version.major, 0);
}

TEST(ParseDriverVersionLine, ReadsNumbersAsAtolDoes) {
  rm::DriverVersionNumbers version = rm::ParseDriverVersionLine("d, 7.-2.+3beta");
  EXPECT_EQ(version.major, 7) << "leading white space";
  EXPECT_EQ(version.minor, -2);
  EXPECT_EQ(version.build, 3) << "digits up to the first other character";

  version = rm::ParseDriverVersionLine("d,x.99999999999.-99999999999");
  EXPECT_EQ(version.major, 0) << "no digits";
  EXPECT_EQ(version.minor, 2147483647) << "clamped, not wrapped";
  EXPECT_EQ(version.build, -2147483647 - 1);
}

}  // namespace
