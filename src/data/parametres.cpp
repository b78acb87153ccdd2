#include "data/parametres.h"

#include <cstring>

#include "data/chemins.h"
#include "util/winpath.h"

namespace corv {
namespace {

class Reader {
 public:
  explicit Reader(const std::string& b) : b_(b) {}
  template <size_t N>
  void Bytes(std::array<uint8_t, N>* a) {
    std::memcpy(a->data(), b_.data() + pos_, N);
    pos_ += N;
  }
  int16_t I16() {
    auto v = static_cast<int16_t>(static_cast<uint8_t>(b_[pos_]) | (static_cast<uint8_t>(b_[pos_ + 1]) << 8));
    pos_ += 2;
    return v;
  }
  double F64() {
    uint64_t u = 0;
    for (int k = 7; k >= 0; --k) u = (u << 8) | static_cast<uint8_t>(b_[pos_ + static_cast<size_t>(k)]);
    pos_ += 8;
    double d;
    std::memcpy(&d, &u, 8);
    return d;
  }

 private:
  const std::string& b_;
  size_t pos_ = 0;
};

class Writer {
 public:
  template <size_t N>
  void Bytes(const std::array<uint8_t, N>& a) {
    out.append(reinterpret_cast<const char*>(a.data()), N);
  }
  void I16(int16_t v) {
    auto u = static_cast<uint16_t>(v);
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  }
  void F64(double d) {
    uint64_t u;
    std::memcpy(&u, &d, 8);
    for (int k = 0; k < 8; ++k) out.push_back(static_cast<char>((u >> (8 * k)) & 0xFF));
  }
  std::string out;
};

}  // namespace

bool DecoderFichierGeneral(const std::string& bytes, FichierGeneral* out) {
  if (bytes.size() < FichierGeneral::kSize) return false;
  FichierGeneral f;
  Reader r(bytes);
  r.Bytes(&f.bloc1);
  r.Bytes(&f.bloc2);
  f.tva[1] = r.F64();
  f.tva[0] = r.F64();
  f.tva[2] = r.F64();
  f.tva[3] = r.F64();
  f.tva[4] = r.F64();
  f.entiers[0] = r.I16();
  f.entiers[1] = r.I16();
  f.valeur1 = r.F64();
  f.uniteCm = r.I16();
  for (auto& o : f.options) o = r.I16();
  r.Bytes(&f.texte);
  f.valeur2 = r.F64();
  r.Bytes(&f.bloc15);
  r.Bytes(&f.bloc22);
  *out = f;
  return true;
}

std::string EncoderFichierGeneral(const FichierGeneral& f) {
  Writer w;
  w.Bytes(f.bloc1);
  w.Bytes(f.bloc2);
  w.F64(f.tva[1]);
  w.F64(f.tva[0]);
  w.F64(f.tva[2]);
  w.F64(f.tva[3]);
  w.F64(f.tva[4]);
  w.I16(f.entiers[0]);
  w.I16(f.entiers[1]);
  w.F64(f.valeur1);
  w.I16(f.uniteCm);
  for (auto o : f.options) w.I16(o);
  w.Bytes(f.texte);
  w.F64(f.valeur2);
  w.Bytes(f.bloc15);
  w.Bytes(f.bloc22);
  return w.out;
}

pdx::Status ChargerTauxTva(SourceTauxTva& source, double maintenant, ParametresGeneraux* p) {
  std::vector<LigneTva> rows;
  PDX_RETURN_IF_ERROR(source.Lire(&rows));
  for (const auto& r : rows) {
    if (r.typeBlank || r.typeTva < 0 || r.typeTva > 2) continue;
    if (r.dateDeb > maintenant || r.dateFin < maintenant) continue;
    auto v = Fixed::FromDouble(r.valeur);
    if (!v) continue;
    p->tva[static_cast<size_t>(r.typeTva)] = {2, *v};
  }
  return pdx::Status::OK();
}

pdx::Status ChargerParametresGeneraux(int flag, const Chemins& chemins, const HostPaths& host,
                                      SourceTauxTva* source, double maintenant, ParametresGeneraux* p) {
  pdx::Status result;
  std::string path = host.ToHost(chemins.FichierGeneral());
  std::unique_ptr<pdx::RandomAccessFile> file;
  pdx::Status s = host.env()->NewRandomAccessFile(path, &file);
  if (s.ok()) {
    std::string bytes(FichierGeneral::kSize, '\0');
    size_t got = 0;
    s = file->Read(0, bytes.size(), bytes.data(), &got);
    bytes.resize(got);
    FichierGeneral f;
    if (s.ok() && !DecoderFichierGeneral(bytes, &f))
      s = pdx::Status::Corruption(path + " : fichier plus court que les paramètres (" + std::to_string(got) +
                                  " octets sur " + std::to_string(FichierGeneral::kSize) + ")");
    if (s.ok()) {
      ParametresGeneraux next = *p;
      bool good = true;
      for (size_t i = 0; i < 5 && good; ++i) {
        auto v = Fixed::FromDouble(f.tva[i]);
        good = v.has_value();
        if (good) next.tva[i].value = *v;
      }
      auto v1 = Fixed::FromDouble(f.valeur1);
      auto v2 = Fixed::FromDouble(f.valeur2);
      if (good && v1 && v2) {
        next.valeur1.value = *v1;
        next.valeur2.value = *v2;
        next.uniteCm = f.uniteCm;
        next.fichier = f;
        next.fichierLu = true;
        *p = next;
      } else {
        s = pdx::Status::Corruption(path + " : une valeur n'est pas un nombre dans les limites");
      }
    }
  }
  result = s;
  if (flag == 1 && source) {
    pdx::Status t = ChargerTauxTva(*source, maintenant, p);
    if (result.ok()) result = t;
  }
  return result;
}

}  // namespace corv
