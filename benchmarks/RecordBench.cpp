// One message of 100 records, each of fundamental values and two strings,
// written into memory and read back. cereal's archives run over the
// std::stringstream that its users hand them; the library's streams run over
// its memory channels.
#include <cereal/archives/binary.hpp>
#include <cereal/archives/portable_binary.hpp>
#include <cereal/types/string.hpp>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "BenchSupport.h"

namespace {

constexpr int kRecords = 100;

// The values of every record; the body is 200 letters.
struct Record {
  bool flag = true;
  char tag = 'R';
  unsigned char byte = 0xA5;
  int16_t s16 = -2;
  uint16_t u16 = 0x1234;
  int32_t i32 = 1000;
  uint32_t u32 = 3000000000u;
  int64_t i64 = -2;
  uint64_t u64 = 0x0102030405060708u;
  double value = -2.5;
  std::string name = "record-name";
  std::string body = vxbench::Letters(200);

  template <class Archive>
  void serialize(Archive& archive) {
    archive(flag, tag, byte, s16, u16, i32, u32, i64, u64, value, name, body);
  }

  bool operator==(const Record& o) const {
    return flag == o.flag && tag == o.tag && byte == o.byte && s16 == o.s16 && u16 == o.u16 &&
           i32 == o.i32 && u32 == o.u32 && i64 == o.i64 && u64 == o.u64 && value == o.value &&
           name == o.name && body == o.body;
  }
};

template <class OutputArchive, class InputArchive>
void RecordCereal(benchmark::State& state) {
  std::vector<Record> records(kRecords);
  std::vector<Record> readBack(kRecords, Record{false, 0, 0, 0, 0, 0, 0, 0, 0, 0.0, "", ""});
  for (auto _ : state) {
    std::stringstream channel;
    {
      OutputArchive out(channel);
      for (Record& r : records) {
        out(r);
      }
    }
    {
      InputArchive in(channel);
      for (Record& r : readBack) {
        in(r);
      }
    }
    benchmark::DoNotOptimize(readBack.data());
  }
  vxbench::Check(state, readBack.back() == records.back(), "record read back differs");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kRecords);
}
BENCHMARK(RecordCereal<cereal::BinaryOutputArchive, cereal::BinaryInputArchive>)
    ->Name("Record/CerealBinary")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(RecordCereal<cereal::PortableBinaryOutputArchive, cereal::PortableBinaryInputArchive>)
    ->Name("Record/CerealPortableBinary")
    ->Unit(benchmark::kMicrosecond);

}  // namespace
