// Sequences of front operations drawn from the input (the model test's operations, with the
// bytes as the source of every choice), run on the registry of this process: no crash, no
// result but 0 or 1, nothing alive afterwards, and the store file loads as a store.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/fault_registry_host.h"
#include "tests/support/model_operations.h"
#include "tests/support/model_store.h"

namespace {

using pelok::IRegisterFront;
using pelok::model::Op;
using pelok::model::OpCode;

std::string TempDirectory() {
  // On tmpfs where there is one: each save syncs the file, which a disk makes slow.
  char path[] = "/dev/shm/pelok_fuzz_front_XXXXXX";
  if (mkdtemp(path) != nullptr) return path;
  std::snprintf(path, sizeof(path), "/tmp/pelok_fuzz_front_XXXXXX");
  return mkdtemp(path) != nullptr ? path : "/tmp";
}

void Expect(bool condition) {
  if (!condition) __builtin_trap();
}

uint32_t Resolve(const Op& op, const std::vector<uint32_t>& open) {
  if (op.key.how != pelok::model::KeyRef::kOpenKey) return op.key.value;
  return open.empty() ? 0x7ffffff3u : open[op.key.value % open.size()];
}

void Run(IRegisterFront*& front, const Op& op, const std::string& dir,
         std::vector<uint32_t>* open) {
  const uint32_t key = Resolve(op, *open);
  const char* text = op.has_text ? op.text.c_str() : nullptr;
  std::vector<char> data(op.capacity > 0 ? op.capacity : 0);
  std::vector<char> name(op.name_len > 0 ? op.name_len : 0);
  int type = 0, size = op.capacity;
  int result = 0;
  switch (op.code) {
    case OpCode::kSetStoreFile: {
      const std::string path = dir + "/" + (op.text == "long" ? std::string(300, 'x') : op.text);
      result = front->SetStoreFile(op.has_text ? path.c_str() : nullptr);
      break;
    }
    case OpCode::kCreateKey:
    case OpCode::kOpenKey: {
      uint32_t out = 0;
      int disposition = 0;
      result = op.code == OpCode::kCreateKey
                   ? front->CreateKey(key, text, op.kind, 0, &out, &disposition)
                   : front->OpenKey(key, text, op.kind, 0, &out);
      if (result && out != 0) open->push_back(out);
      break;
    }
    case OpCode::kCloseKey:
      result = front->CloseKey(key);
      break;
    case OpCode::kReleaseKey:
      result = front->ReleaseKey(key);
      break;
    case OpCode::kDeleteKey:
      result = front->DeleteKey(key);
      break;
    case OpCode::kSetValue:
      result = front->SetValue(key, text, op.type, op.has_data ? op.data.data() : nullptr, op.size);
      break;
    case OpCode::kQueryValue:
    case OpCode::kQueryStringValue:
    case OpCode::kQueryBinaryValue:
      result =
          front->QueryValue(key, text, op.null_type ? nullptr : &type,
                            op.has_data ? data.data() : nullptr, op.null_size ? nullptr : &size);
      break;
    case OpCode::kQueryIntValue: {
      int value = 0;
      result = front->QueryIntValue(key, text, &value);
      break;
    }
    case OpCode::kEnumValue:
      result = front->EnumValue(key, op.index, op.name_len < 0 ? nullptr : name.data(), op.name_len,
                                op.null_type ? nullptr : &type, op.has_data ? data.data() : nullptr,
                                op.null_size ? nullptr : &size);
      break;
    case OpCode::kHasValue:
      result = front->HasValue(key, text);
      break;
    case OpCode::kDeleteValue:
      result = front->DeleteValue(key, text);
      break;
    case OpCode::kGetKeyName:
      result = front->GetKeyName(key, op.name_len < 0 ? nullptr : name.data(), op.name_len);
      break;
    case OpCode::kEnumKey:
      result = front->EnumKey(key, op.index, op.name_len < 0 ? nullptr : name.data(), op.name_len);
      break;
    case OpCode::kFlush:
      result = front->Flush();
      break;
    case OpCode::kCloseAllKeys:
      front->CloseAllKeys();
      open->clear();
      break;
    case OpCode::kRestartFront:
    case OpCode::kReloadModules:
      front->Destroy(1);
      Expect(pelok::fault::LiveInstances() == 0);
      front = pelok::fault::CreateFront();
      Expect(front != nullptr);
      open->clear();
      break;
    case OpCode::kCount:
      break;
  }
  Expect(result == 0 || result == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  static const std::string dir = TempDirectory();
  pelok::model::OpGenerator generator(bytes, size);
  IRegisterFront* front = pelok::fault::CreateFront();
  Expect(front != nullptr);
  std::vector<uint32_t> open;
  for (int i = 0; i < 200 && !generator.exhausted(); ++i) {
    const Op op = generator.Next(static_cast<int>(open.size()));
    // The operation may close keys: the list is only a source of likely handles.
    Run(front, op, dir, &open);
  }
  front->Destroy(1);
  Expect(pelok::fault::LiveInstances() == 0);
  Expect(pelok::fault::LiveDocuments() == 0);
  Expect(pelok::fault::Allocator()->CountLiveBlocks(0) == 0);
  for (const char* file : {"/a", "/b"}) {
    const std::string path = dir + file;
    if (access(path.c_str(), F_OK) != 0) continue;
    pelok::model::Element document;
    std::string error;
    Expect(pelok::model::ReadStoreFile(path, &document, &error));
    unlink(path.c_str());
  }
  return 0;
}
