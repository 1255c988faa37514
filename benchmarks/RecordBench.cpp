// One message of 100 records, each of fundamental values and two strings,
// written into memory and read back. cereal's archives run over the
// std::stringstream that its users hand them; the library's streams run over
// its memory channels, with the strings put and got by the string operators.
// Both start every message from an empty buffer.
#include <cereal/archives/binary.hpp>
#include <cereal/archives/portable_binary.hpp>
#include <cereal/types/string.hpp>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "vexlo/channels/CMemReader.h"
#include "vexlo/channels/CMemWriter.h"
#include "vexlo/streams/CBinaryInputStream.h"
#include "vexlo/streams/CBinaryOutputStream.h"
#include "vexlo/streams/CPortableInputStream.h"
#include "vexlo/streams/CPortableOutputStream.h"
#include "vexlo/streams/StreamOperators.h"
#include "vexlo/strings/VXString.h"

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

// The same values for the library's streams, with the strings as VXString.
struct VXRecord {
  bool flag = false;
  char tag = 0;
  unsigned char byte = 0;
  short s16 = 0;
  unsigned short u16 = 0;
  int i32 = 0;
  unsigned int u32 = 0;
  int64_t i64 = 0;
  uint64_t u64 = 0;
  double value = 0.0;
  vx::VXString name;
  vx::VXString body;

  VXRecord() = default;
  explicit VXRecord(const Record& r)
      : flag(r.flag),
        tag(r.tag),
        byte(r.byte),
        s16(r.s16),
        u16(r.u16),
        i32(r.i32),
        u32(r.u32),
        i64(r.i64),
        u64(r.u64),
        value(r.value),
        name(r.name.data(), r.name.size()),
        body(r.body.data(), r.body.size()) {}

  void Put(tvc::ITVCOutStream& out) const {
    out.PutBool(flag);
    out.PutChar(tag);
    out.PutBYTE(byte);
    out.PutShort(s16);
    out.PutWORD(u16);
    out.PutInt(i32);
    out.PutUint(u32);
    out.PutInt64(i64);
    out.PutUint64(u64);
    out.PutDouble(value);
    out << name << body;
  }

  void Get(tvc::ITVCInStream& in) {
    in.GetBool(flag);
    in.GetChar(tag);
    in.GetBYTE(byte);
    in.GetShort(s16);
    in.GetWORD(u16);
    in.GetInt(i32);
    in.GetUint(u32);
    in.GetInt64(i64);
    in.GetUint64(u64);
    in.GetDouble(value);
    in >> name >> body;
  }

  bool Equals(const Record& r) const {
    return flag == r.flag && tag == r.tag && byte == r.byte && s16 == r.s16 && u16 == r.u16 &&
           i32 == r.i32 && u32 == r.u32 && i64 == r.i64 && u64 == r.u64 && value == r.value &&
           name == r.name.c_str() && std::string(body.data(), body.length()) == r.body;
  }
};

template <class OutputStream, class InputStream>
void RecordVexlo(benchmark::State& state) {
  const Record values;
  const std::vector<VXRecord> records(kRecords, VXRecord(values));
  std::vector<VXRecord> readBack(kRecords);
  for (auto _ : state) {
    vx::CMemWriter channel;
    {
      OutputStream out(&channel);
      for (const VXRecord& r : records) {
        r.Put(out);
      }
    }
    vx::CMemReader reader(channel.GetData(), channel.GetSize());
    {
      InputStream in(&reader);
      for (VXRecord& r : readBack) {
        r.Get(in);
      }
    }
    benchmark::DoNotOptimize(readBack.data());
  }
  vxbench::Check(state, readBack.back().Equals(values), "record read back differs");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kRecords);
}

void RecordVexloBinary(benchmark::State& state) {
  RecordVexlo<vx::CBinaryOutputStream, vx::CBinaryInputStream>(state);
}
BENCHMARK(RecordVexloBinary)->Name("Record/VXBinary")->Unit(benchmark::kMicrosecond);

void RecordVexloPortable(benchmark::State& state) {
  RecordVexlo<vx::CPortableOutputStream, vx::CPortableInputStream>(state);
}
BENCHMARK(RecordVexloPortable)->Name("Record/VXPortable")->Unit(benchmark::kMicrosecond);

}  // namespace
