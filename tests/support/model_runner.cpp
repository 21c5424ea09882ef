#include "tests/support/model_runner.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "pelok/component_factory.h"
#include "pelok/module.h"
#include "platform/win32_api.h"
#include "tests/support/strict_xml.h"

namespace pelok {
namespace model {

namespace {

// Bytes past every output buffer that no operation may touch.
constexpr size_t kGuard = 16;
constexpr unsigned char kFill = 0xCD;

std::string Bytes(const unsigned char* data, size_t count) {
  std::string text;
  char hex[4];
  for (size_t i = 0; i < count && i < 48; ++i) {
    std::snprintf(hex, sizeof(hex), "%02X", data[i]);
    text += hex;
  }
  if (count > 48) text += "...";
  return text.empty() ? "(none)" : text;
}

class Comparison {
 public:
  explicit Comparison(const Op& op) { out_ << FormatOp(op) << "\n"; }
  template <class T>
  void Equal(const char* what, const T& expected, const T& actual) {
    if (expected == actual) return;
    failed_ = true;
    out_ << "  " << what << ": expected " << expected << ", got " << actual << "\n";
  }
  // The first count bytes of both buffers; past them only the guard of the real one.
  void Buffer(const char* what, const std::vector<unsigned char>& expected,
              const std::vector<unsigned char>& actual, size_t count, size_t capacity) {
    if (!std::equal(expected.begin(), expected.begin() + count, actual.begin())) {
      failed_ = true;
      out_ << "  " << what << ": expected " << Bytes(expected.data(), count) << ", got "
           << Bytes(actual.data(), count) << "\n";
    }
    for (size_t i = capacity; i < actual.size(); ++i) {
      if (actual[i] != kFill) {
        failed_ = true;
        out_ << "  " << what << ": written past its " << capacity << " bytes\n";
        break;
      }
    }
  }
  std::string Result() const { return failed_ ? out_.str() : std::string(); }

 private:
  std::ostringstream out_;
  bool failed_ = false;
};

size_t Usable(int length) { return length > 0 ? static_cast<size_t>(length) : 0; }

}  // namespace

ModelRunner::ModelRunner() = default;

ModelRunner::~ModelRunner() {
  if (front_ != nullptr) front_->Destroy(1);
}

std::string ModelRunner::Start() {
  factory_ = test::LoadedModule(test::BinPath("PelFact.dll"));
  const auto create = factory_.Get<CreateComponentFn>("CreateComponent");
  if (create == nullptr) return "PelFact.dll does not load";
  allocator_ = static_cast<IAllocator*>(create(component_id::kAllocator, 0));
  if (allocator_ == nullptr) return "no allocator";
  return LoadRegistry();
}

std::string ModelRunner::LoadRegistry() {
  registry_ = std::make_unique<test::PelRegModule>();
  if (!registry_->complete()) return "PelReg.dll does not load with its seven exports";
  registry_->SetDLLRegistry(test::BinPath("Pelok.ini").c_str());
  front_ =
      static_cast<IRegisterFront*>(registry_->CreateComponent(component_id::kRegisterFront, 0));
  return front_ != nullptr ? "" : "no front component";
}

std::string ModelRunner::StopFront() {
  front_->Destroy(1);
  front_ = nullptr;
  std::string problems;
  if (registry_->PelokDllCanUnloadNow() != 1) problems += "an instance of PelReg.dll is left; ";
  if (allocator_->CountLiveBlocks(component_id::kMemoryKeyValues) != 0) {
    problems += "memory value blocks are left; ";
  }
  if (allocator_->CountLiveBlocks(component_id::kXmlRegisterStore) != 0) {
    problems += "store blocks are left; ";
  }
  return problems;
}

std::string ModelRunner::Finish() {
  if (front_ == nullptr) return "no front";
  std::string problems = StopFront();
  model_.Restart();
#if !defined(_WIN32)
  // Whatever names and texts the run drew, a strict reader of another program reads the files.
  for (const auto& file : model_.files()) {
    const ::testing::AssertionResult strict = test::IsStrictXml(file.first);
    if (!strict) problems += std::string(strict.message()) + "\n";
  }
#endif
  return problems + CheckFiles();
}

uint32_t ModelRunner::Resolve(const KeyRef& key) const {
  if (key.how != KeyRef::kOpenKey) return key.value;
  const std::vector<uint32_t> open = model_.OpenHandles();
  return open.empty() ? 0x7ffffff3u : open[key.value % open.size()];
}

std::string ModelRunner::StorePath(const std::string& which) const {
  if (which == "b") return dir_.Join("b.xml");
  if (which == "long") return dir_.Join(std::string(270, 'x') + ".xml");
  return dir_.Join("a.xml");
}

std::string ModelRunner::CheckFiles() const {
  std::string problems;
  for (const auto& file : model_.files()) {
    Element actual;
    std::string error;
    if (!ReadStoreFile(file.first, &actual, &error)) {
      problems += file.first + ": " + error + "\n";
      continue;
    }
    const std::string difference = DescribeDifference(file.second, actual);
    if (!difference.empty()) problems += file.first + ": " + difference + "\n";
  }
  return problems;
}

std::string ModelRunner::Run(const Op& op) {
  const uint32_t key = Resolve(op.key);
  const char* const text = op.has_text ? op.text.c_str() : nullptr;
  Comparison check(op);
  switch (op.code) {
    case OpCode::kSetStoreFile: {
      const std::string path = StorePath(op.text);
      const char* const argument = op.has_text ? path.c_str() : nullptr;
      check.Equal("result", model_.SetStoreFile(argument), front_->SetStoreFile(argument));
      break;
    }
    case OpCode::kCreateKey:
    case OpCode::kOpenKey: {
      uint32_t real_key = 0xA5A5A5A5u, model_key = 0xA5A5A5A5u;
      int real_disposition = -7, model_disposition = -7;
      int real, expected;
      if (op.code == OpCode::kCreateKey) {
        real = front_->CreateKey(key, text, op.kind, 0, &real_key, &real_disposition);
        expected = text == nullptr
                       ? 0
                       : model_.CreateKey(key, text, op.kind, &model_key, &model_disposition);
      } else {
        real = front_->OpenKey(key, text, op.kind, 0, &real_key);
        expected = model_.OpenKey(key, text, op.kind, &model_key);
      }
      check.Equal("result", expected, real);
      check.Equal("key", model_key, real_key);
      check.Equal("disposition", model_disposition, real_disposition);
      break;
    }
    case OpCode::kCloseKey:
      check.Equal("result", model_.CloseKey(key), front_->CloseKey(key));
      break;
    case OpCode::kReleaseKey:
      check.Equal("result", model_.ReleaseKey(key), front_->ReleaseKey(key));
      break;
    case OpCode::kDeleteKey:
      check.Equal("result", model_.DeleteKey(key), front_->DeleteKey(key));
      break;
    case OpCode::kSetValue: {
      const void* data = op.has_data ? op.data.data() : nullptr;
      check.Equal("result", model_.SetValue(key, text, op.type, data, op.size),
                  front_->SetValue(key, text, op.type, data, op.size));
      break;
    }
    case OpCode::kQueryValue:
    case OpCode::kQueryStringValue:
    case OpCode::kQueryIntValue:
    case OpCode::kQueryBinaryValue:
      return RunQuery(op, key);
    case OpCode::kEnumValue:
      return RunEnumValue(op, key);
    case OpCode::kHasValue:
      check.Equal("result", model_.HasValue(key, text), front_->HasValue(key, text));
      break;
    case OpCode::kDeleteValue:
      check.Equal("result", model_.DeleteValue(key, text), front_->DeleteValue(key, text));
      break;
    case OpCode::kGetKeyName:
    case OpCode::kEnumKey:
      return RunNameBuffer(op, key);
    case OpCode::kFlush: {
      check.Equal("result", model_.Flush(), front_->Flush());
      const std::string files = CheckFiles();
      if (!files.empty()) return check.Result() + files;
      break;
    }
    case OpCode::kCloseAllKeys:
      front_->CloseAllKeys();
      model_.CloseAllKeys();
      break;
    case OpCode::kRestartFront:
    case OpCode::kReloadModules: {
      std::string problems = StopFront();
      model_.Restart();
      problems += CheckFiles();
      if (op.code == OpCode::kReloadModules) {
        if (const auto unload_idle =
                factory_.Get<PelokUnloadIdleModulesFn>("PelokUnloadIdleModules")) {
          unload_idle();
        }
        registry_.reset();
        if (GetModuleHandleA("PelReg.dll") != nullptr) problems += "PelReg.dll stays loaded; ";
        problems += LoadRegistry();
      } else {
        front_ = static_cast<IRegisterFront*>(
            registry_->CreateComponent(component_id::kRegisterFront, 0));
        if (front_ == nullptr) problems += "no front after the restart";
      }
      if (!problems.empty()) return FormatOp(op) + "\n  " + problems;
      break;
    }
    case OpCode::kCount:
      break;
  }
  return check.Result();
}

std::string ModelRunner::RunQuery(const Op& op, uint32_t key) {
  const char* const text = op.has_text ? op.text.c_str() : nullptr;
  int capacity = op.capacity;
  if (op.exact_capacity) {
    const int stored = model_.StoredSize(key, text);
    capacity += stored >= 0 ? stored : 16;
  }
  if (op.code == OpCode::kQueryIntValue) capacity = 4;
  const size_t usable = Usable(capacity);
  std::vector<unsigned char> real_data(usable + kGuard, kFill), model_data = real_data;
  int real_type = -99, model_type = -99;
  int real_size = capacity, model_size = capacity;
  void* const real_buffer = op.has_data ? real_data.data() : nullptr;
  void* const model_buffer = op.has_data ? model_data.data() : nullptr;
  int* const real_size_arg = op.null_size ? nullptr : &real_size;
  int* const model_size_arg = op.null_size ? nullptr : &model_size;
  DataOutput output;
  int real = 0, expected = 0;
  switch (op.code) {
    case OpCode::kQueryValue:
      real = front_->QueryValue(key, text, op.null_type ? nullptr : &real_type, real_buffer,
                                real_size_arg);
      expected = model_.QueryValue(key, text, op.null_type ? nullptr : &model_type, model_buffer,
                                   model_size_arg, &output);
      break;
    case OpCode::kQueryStringValue:
    case OpCode::kQueryBinaryValue: {
      int preset = op.code == OpCode::kQueryStringValue ? 1 : 3;
      real =
          op.code == OpCode::kQueryStringValue
              ? front_->QueryStringValue(key, text, static_cast<char*>(real_buffer), real_size_arg)
              : front_->QueryBinaryValue(key, text, real_buffer, real_size_arg);
      expected = model_.QueryValue(key, text, &preset, model_buffer, model_size_arg, &output);
      break;
    }
    case OpCode::kQueryIntValue: {
      int preset = 2, preset_size = 4;
      real = front_->QueryIntValue(key, text, static_cast<int*>(real_buffer));
      expected = model_.QueryValue(key, text, &preset, model_buffer, &preset_size, &output);
      break;
    }
    default:
      break;
  }
  Comparison check(op);
  check.Equal("result", expected, real);
  if (op.code == OpCode::kQueryValue) check.Equal("type", model_type, real_type);
  if (op.code != OpCode::kQueryIntValue) check.Equal("size", model_size, real_size);
  check.Buffer("data", model_data, real_data, output.all ? usable : output.fixed, usable);
  return check.Result();
}

std::string ModelRunner::RunEnumValue(const Op& op, uint32_t key) {
  const size_t usable = Usable(op.capacity);
  std::vector<unsigned char> real_data(usable + kGuard, kFill), model_data = real_data;
  const size_t name_usable = Usable(op.name_len);
  std::vector<unsigned char> real_name(name_usable + kGuard, kFill), model_name = real_name;
  char* const real_name_arg = op.name_len < 0 ? nullptr : reinterpret_cast<char*>(real_name.data());
  char* const model_name_arg =
      op.name_len < 0 ? nullptr : reinterpret_cast<char*>(model_name.data());
  int real_type = -99, model_type = -99;
  int real_size = op.capacity, model_size = op.capacity;
  DataOutput output;
  const int real = front_->EnumValue(
      key, op.index, real_name_arg, op.name_len, op.null_type ? nullptr : &real_type,
      op.has_data ? real_data.data() : nullptr, op.null_size ? nullptr : &real_size);
  const int expected = model_.EnumValue(
      key, op.index, model_name_arg, op.name_len, op.null_type ? nullptr : &model_type,
      op.has_data ? model_data.data() : nullptr, op.null_size ? nullptr : &model_size, &output);
  Comparison check(op);
  check.Equal("result", expected, real);
  check.Equal("type", model_type, real_type);
  check.Equal("size", model_size, real_size);
  check.Buffer("name", model_name, real_name, name_usable, name_usable);
  check.Buffer("data", model_data, real_data, output.all ? usable : output.fixed, usable);
  return check.Result();
}

std::string ModelRunner::RunNameBuffer(const Op& op, uint32_t key) {
  const size_t usable = Usable(op.name_len);
  std::vector<unsigned char> real_buffer(usable + kGuard, kFill), model_buffer = real_buffer;
  char* const real_arg = op.name_len < 0 ? nullptr : reinterpret_cast<char*>(real_buffer.data());
  char* const model_arg = op.name_len < 0 ? nullptr : reinterpret_cast<char*>(model_buffer.data());
  int real, expected;
  if (op.code == OpCode::kGetKeyName) {
    real = front_->GetKeyName(key, real_arg, op.name_len);
    expected = model_.GetKeyName(key, model_arg, op.name_len);
  } else {
    real = front_->EnumKey(key, op.index, real_arg, op.name_len);
    expected = model_.EnumKey(key, op.index, model_arg, op.name_len);
  }
  Comparison check(op);
  check.Equal("result", expected, real);
  check.Buffer("buffer", model_buffer, real_buffer, usable, usable);
  return check.Result();
}

}  // namespace model
}  // namespace pelok
