#include "pdf/object_resolver.h"

#include "pdf/stream_reader.h"

namespace paginor {

namespace {

const TPdfObject kNull;

}  // namespace

const TPdfObject& TObjectResolver::Object(TPdfRef ref) {
  const auto known = objects_.find(ref.Num);
  if (known != objects_.end()) return known->second;
  TPdfObject object;
  if (const std::optional<int64_t> body = reader_.ObjectBodyPos(ref.Num, ref.Gen))
    object = Parse(*body);
  return objects_.emplace(ref.Num, std::move(object)).first->second;
}

const TPdfObject& TObjectResolver::ObjectAt(int64_t pos) {
  const auto known = direct_.find(pos);
  if (known != direct_.end()) return known->second;
  return direct_.emplace(pos, Parse(pos)).first->second;
}

TPdfObject TObjectResolver::Parse(int64_t pos) const {
  if (pos < 0) return {};
  TParseLimits limits;
  limits.Depth = reader_.Caps.Limits.Nesting;
  auto parsed = ParseObject(reader_.Buffer(), static_cast<std::size_t>(pos), limits);
  return parsed ? std::move(parsed->Object) : TPdfObject{};
}

const TPdfObject& TObjectResolver::Resolve(const TPdfObject& o) {
  const TPdfObject* current = &o;
  for (int step = 0; step < 8 && current->IsRef(); ++step)
    current = &Object(*current->AsRef());
  return current->IsRef() ? kNull : *current;
}

const TPdfObject* TObjectResolver::Get(const TPdfObject& o, std::string_view key) {
  const TPdfObject* value = Resolve(o).Get(key);
  if (value == nullptr) return nullptr;
  const TPdfObject& resolved = Resolve(*value);
  return resolved.IsNull() ? nullptr : &resolved;
}

std::optional<std::string> TObjectResolver::StreamData(TPdfRef ref) {
  return ReadStreamObject(reader_, ref.Num, ref.Gen);
}

void TObjectResolver::DecryptString(TPdfRef holder, std::string& bytes) {
  if (!reader_.Encrypted) return;
  const bool in_object_stream =
      reader_.Rules().CompressedObjects && holder.Num >= 0 && holder.Num < reader_.XrefCount() &&
      reader_.XrefTable[static_cast<std::size_t>(holder.Num)].Offset >= reader_.FileSize();
  if (!in_object_stream) reader_.Security.DecryptString(holder.Num, holder.Gen, bytes);
}

}  // namespace paginor
