#include "registry/register_front.h"

#include <mutex>

#include "framework/module_state.h"
#include "framework/pelok_ptr.h"
#include "pelok/component_factory.h"

namespace pelok {
namespace {

// The singleton slot and the lock that keeps two threads from building two instances.
std::mutex g_singleton_mutex;
RegisterFront* g_singleton = nullptr;

}  // namespace

IComponent* CreateRegisterFront() {
  std::lock_guard<std::mutex> lock(g_singleton_mutex);
  if (g_singleton != nullptr) return g_singleton;
  g_singleton = static_cast<RegisterFront*>(NewComponent<RegisterFront>());
  if (g_singleton == nullptr) return nullptr;
  try {
    TPelokPtr<IComponentFactory> factory(nullptr, component_id::kComponentFactory);
    if (factory) factory->RegisterSingleton(g_singleton);
  } catch (...) {
    // Not registered with the factory; the instance serves all the same.
  }
  return g_singleton;
}

RegisterFront::RegisterFront() {
  try {
    CreateChildAs(&core_, component_id::kRegisterCore);
  } catch (...) {
    // Without a core every operation returns 0.
  }
}

void RegisterFront::Destroy(int force) {
  if (force != 0 && host::DllSafe()) {
    std::lock_guard<std::mutex> lock(g_singleton_mutex);
    if (g_singleton == this) g_singleton = nullptr;
  }
  Base::Destroy(force);
}

int RegisterFront::SetStoreFile(const char* path) {
  auto guard = Guard();
  return core_ != nullptr ? core_->SetStoreFile(path) : 0;
}

int RegisterFront::CreateKey(uint32_t parent, const char* sub_key, int key_kind, int reserved,
                             uint32_t* out_key, int* out_disposition) {
  auto guard = Guard();
  if (core_ == nullptr || sub_key == nullptr) return 0;
  return core_->CreateKey(parent, sub_key, key_kind, reserved, out_key, out_disposition);
}

int RegisterFront::DeleteKey(uint32_t key) {
  auto guard = Guard();
  return core_ != nullptr ? core_->DeleteKey(key) : 0;
}

int RegisterFront::OpenKey(uint32_t parent, const char* sub_key, int key_kind, int reserved,
                           uint32_t* out_key) {
  auto guard = Guard();
  return core_ != nullptr ? core_->OpenKey(parent, sub_key, key_kind, reserved, out_key) : 0;
}

int RegisterFront::CloseKey(uint32_t key) {
  auto guard = Guard();
  return core_ != nullptr ? core_->CloseKey(key) : 0;
}

int RegisterFront::ReleaseKey(uint32_t key) {
  auto guard = Guard();
  return core_ != nullptr ? core_->ReleaseKey(key) : 0;
}

int RegisterFront::QueryValue(uint32_t key, const char* name, int* type, void* data, int* size) {
  auto guard = Guard();
  return core_ != nullptr ? core_->QueryValue(key, name, type, data, size) : 0;
}

int RegisterFront::EnumValue(uint32_t key, int index, char* name_buf, int name_len, int* type,
                             void* data, int* size) {
  auto guard = Guard();
  if (core_ == nullptr) return 0;
  return core_->EnumValue(key, index, name_buf, name_len, type, data, size);
}

int RegisterFront::SetValue(uint32_t key, const char* name, int type, const void* data, int size) {
  auto guard = Guard();
  return core_ != nullptr ? core_->SetValue(key, name, type, data, size) : 0;
}

int RegisterFront::HasValue(uint32_t key, const char* name) {
  auto guard = Guard();
  return core_ != nullptr ? core_->HasValue(key, name) : 0;
}

int RegisterFront::GetKeyName(uint32_t key, char* buf, int len) {
  auto guard = Guard();
  return core_ != nullptr ? core_->GetKeyName(key, buf, len) : 0;
}

int RegisterFront::QueryStringValue(uint32_t key, const char* name, char* data, int* size) {
  auto guard = Guard();
  int type = value_type::kText;
  return QueryValue(key, name, &type, data, size);
}

int RegisterFront::QueryIntValue(uint32_t key, const char* name, int* value) {
  auto guard = Guard();
  int type = value_type::kUint32;
  int size = 4;
  return QueryValue(key, name, &type, value, &size);
}

int RegisterFront::QueryBinaryValue(uint32_t key, const char* name, void* data, int* size) {
  auto guard = Guard();
  int type = value_type::kBinary;
  return QueryValue(key, name, &type, data, size);
}

int RegisterFront::DeleteValue(uint32_t key, const char* name) {
  auto guard = Guard();
  return core_ != nullptr ? core_->DeleteValue(key, name) : 0;
}

int RegisterFront::EnumKey(uint32_t key, int index, char* buf, int len) {
  auto guard = Guard();
  return core_ != nullptr ? core_->EnumKey(key, index, buf, len) : 0;
}

int RegisterFront::Flush() {
  auto guard = Guard();
  return core_ != nullptr ? core_->Flush() : 0;
}

void RegisterFront::CloseAllKeys() {
  auto guard = Guard();
  if (core_ != nullptr) core_->CloseAllKeys();
}

void RegisterFront::ReleaseCore() {
  auto guard = Guard();
  if (core_ != nullptr) ReleaseChildAs(&core_);
}

}  // namespace pelok
