#include "data/maj_table.h"


#include "data/creation.h"
#include "data/fonctions_bd.h"
#include "paradox/commit.h"
#include "paradox/writer.h"
#include "util/text.h"

namespace corv {
namespace {

std::string BaseOf(const std::string& name) {
  size_t dot = name.find('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

bool StartsWithBase(const std::string& name, const std::string& base) {
  return name.size() > base.size() && name[base.size()] == '.' && EqualsNoCase(name.substr(0, base.size()), base);
}

std::string ExtOf(const std::string& name) { return FoldCase(name.substr(name.find('.') + 1)); }

// .PX, .MB, .Xnn/.Ynn and .XGn/.YGn: the files a new version replaces or drops.
bool IsIndexOrBlobFile(const std::string& name) {
  std::string ext = ExtOf(name);
  return ext == "px" || ext == "mb" || ((ext[0] == 'x' || ext[0] == 'y') && ext.size() == 3);
}

pdx::Status ReadAll(pdx::Env* env, const std::string& path, std::string* bytes) {
  std::unique_ptr<pdx::RandomAccessFile> f;
  PDX_RETURN_IF_ERROR(env->NewRandomAccessFile(path, &f));
  bytes->assign(f->Size(), '\0');
  size_t got = 0;
  PDX_RETURN_IF_ERROR(f->Read(0, bytes->size(), bytes->data(), &got));
  if (got != bytes->size()) return pdx::Status::IOError(path + " : lecture incomplète");
  return pdx::Status::OK();
}

void RemoveDir(pdx::Env* env, const std::string& dir) {
  std::vector<std::string> names;
  if (env->GetChildren(dir, &names).ok())
    // Cleaning up a scratch directory: a leftover file there is harmless.
    for (const auto& n : names) env->RemoveFile(pdx::JoinPath(dir, n)).IgnoreError();
  env->RemoveDir(dir).IgnoreError();  // likewise an empty directory left behind
}

// Builds the new version of the table in `temp`.
pdx::Status Construire(pdx::Env* env, pdx::TableWriter& old, const std::string& temp, const std::string& dbName,
                       const PlanMaj& plan) {
  const pdx::TableInfo& info = old.info();
  TableDef def;
  def.fichier = dbName;
  def.champs = plan.champs;
  pdx::TableDefinition td = DefinitionMoteur(def);
  td.keyFieldCount = info.keyFieldCount;
  for (const auto& ix : info.indexes) {
    if (ix.primary) continue;
    bool dropped = false;
    for (const auto& n : plan.indexSupprimes) dropped = dropped || EqualsNoCase(n, ix.name);
    if (dropped) continue;
    pdx::IndexDefinition d;
    d.name = ix.name;
    for (int f : ix.fields)
      if (f >= 1 && f <= static_cast<int>(plan.champs.size())) d.fields.push_back(plan.champs[static_cast<size_t>(f - 1)].nom);
    d.unique = ix.unique;
    d.caseInsensitive = ix.caseInsensitive;
    d.descending = ix.descending;
    td.indexes.push_back(d);
  }
  for (const auto& i : plan.indexAjoutes) td.indexes.push_back(IndexMoteur(i));

  std::unique_ptr<pdx::TableWriter> nw;
  PDX_RETURN_IF_ERROR(pdx::TableWriter::Create(env, temp, dbName, td, {}, &nw));
  std::vector<int> zeros;
  for (const auto& z : plan.aZero)
    for (size_t i = 0; i < plan.champs.size(); ++i)
      if (EqualsNoCase(plan.champs[i].nom, z)) zeros.push_back(static_cast<int>(i));
  std::vector<pdx::Value> v, rec(plan.champs.size());
  size_t n = std::min(info.fields.size(), plan.champs.size());
  for (pdx::RowId r : old.Rows()) {
    PDX_RETURN_IF_ERROR(old.Get(r, &v));
    std::fill(rec.begin(), rec.end(), pdx::Value{});
    for (size_t i = 0; i < n && i < v.size(); ++i) {
      pdx::Status s = ConvertirValeur(v[i], info.fields[i].type, plan.champs[i].type, &rec[i]);
      if (!s.ok())
        return pdx::Status::InvalidArgument(dbName + " : enregistrement " + std::to_string(r + 1) + ", champ " +
                                            plan.champs[i].nom + " : " + s.message());
      if (static_cast<int>(i) < info.keyFieldCount && rec[i].blank && plan.champs[i].type == pdx::FieldType::kAlpha)
        rec[i] = pdx::Value::Text("");
    }
    for (int z : zeros) rec[static_cast<size_t>(z)] = pdx::Value::Int(0);
    PDX_RETURN_IF_ERROR(nw->Insert(rec));
  }
  return nw->Close();
}

}  // namespace

pdx::Status AppliquerMaj(pdx::Env* env, const std::string& hostDir, const std::string& fichier, const PlanMaj& plan) {
  std::unique_ptr<pdx::TableWriter> old;
  PDX_RETURN_IF_ERROR(pdx::TableWriter::Open(env, hostDir, fichier, {}, &old));
  std::string path;
  PDX_RETURN_IF_ERROR(pdx::FindFileNoCase(env, hostDir, fichier, &path));
  std::string dbName = path.substr(path.find_last_of('/') + 1);
  std::string base = BaseOf(dbName);

  std::string temp = pdx::JoinPath(hostDir, ".cvmaj-" + base);
  RemoveDir(env, temp);
  PDX_RETURN_IF_ERROR(env->CreateDir(temp));
  pdx::Status s = Construire(env, *old, temp, dbName, plan);

  std::vector<std::string> built, existing;
  if (s.ok()) s = env->GetChildren(temp, &built);
  if (s.ok()) s = env->GetChildren(hostDir, &existing);
  if (s.ok()) {
    pdx::TableCommit commit(env, hostDir, base);
    std::vector<std::string> staged;
    for (const auto& b : built) {
      // The table's own files only (not the writer's lock file and the like).
      if (!StartsWithBase(b, base) || !(ExtOf(b) == "db" || IsIndexOrBlobFile(b))) continue;
      std::string target = base + b.substr(base.size());
      for (const auto& e : existing)
        if (EqualsNoCase(e, b)) target = e;
      std::string bytes;
      pdx::WritableFile* f = nullptr;
      s = ReadAll(env, pdx::JoinPath(temp, b), &bytes);
      if (s.ok()) s = commit.Stage(target, &f);
      if (s.ok()) s = f->Append(bytes.data(), bytes.size());
      if (!s.ok()) break;
      staged.push_back(target);
    }
    // Index and blob files of the old version that the new one no longer has.
    for (const auto& e : existing) {
      if (!s.ok()) break;
      if (!StartsWithBase(e, base) || !IsIndexOrBlobFile(e)) continue;
      bool kept = false;
      for (const auto& st : staged) kept = kept || st == e;
      if (!kept) s = commit.StageRemoval(e);
    }
    if (s.ok()) s = commit.Commit();
  }
  RemoveDir(env, temp);
  pdx::Status c = old->Close();
  return s.ok() ? c : s;
}

}  // namespace corv
