#pragma once
// The process-wide general parameters: VAT rate slots, two further fixed-point
// values, the length unit and four texts. One object, owned by the application
// and handed to whoever needs it.
//
// The binary file "General" (no extension, in the administration directory) is
// read field by field, little-endian, with no header:
//
//   offset  size  field
//        0   444  first block (kept as bytes)
//      444   444  second block (kept as bytes)
//      888     8  float: VAT slot 1
//      896     8  float: VAT slot 0
//      904    24  floats: VAT slots 2, 3, 4
//      928     4  two 16-bit integers
//      932     8  float: first further value
//      940     2  16-bit length-unit flag (non-zero = "cm", zero = "mm")
//      942    24  kOptionCount 16-bit integers
//      966     9  text
//      975     8  float: second further value
//      983    15  block
//      998    22  block
//     1020        end
//
// Floats become fixed-point values (x 10000, rounded to nearest, ties to even),
// each slot keeping its tag. The file is taken whole or not at all: a file that
// cannot be opened, is shorter than the layout, or holds a float that is not a
// finite number within range leaves every parameter as it was.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "paradox/status.h"
#include "util/fixed.h"

namespace corv {

class Chemins;
class HostPaths;

struct FichierGeneral {
  static constexpr int kOptionCount = 12;
  static constexpr size_t kSize = 1020;

  std::array<uint8_t, 444> bloc1{};
  std::array<uint8_t, 444> bloc2{};
  std::array<double, 5> tva{};  // by slot number (the file stores slot 1 first)
  std::array<int16_t, 2> entiers{};
  double valeur1 = 1.0;
  int16_t uniteCm = 1;
  std::array<int16_t, kOptionCount> options{};
  std::array<uint8_t, 9> texte{};
  double valeur2 = 1.0;
  std::array<uint8_t, 15> bloc15{};
  std::array<uint8_t, 22> bloc22{};
};

// Parses the bytes of a "General" file; false when they are too short.
bool DecoderFichierGeneral(const std::string& bytes, FichierGeneral* out);
// The bytes of a "General" file (for tools that write an installation).
std::string EncoderFichierGeneral(const FichierGeneral& f);

struct ParametresGeneraux {
  std::array<TaggedFixed, 5> tva{{{2, Fixed::FromInt(0)},
                                  {2, Fixed::FromRaw(196000)},
                                  {2, Fixed::FromRaw(55000)},
                                  {2, Fixed::FromInt(0)},
                                  {2, Fixed::FromInt(0)}}};
  TaggedFixed valeur1{1, Fixed::FromInt(1)};
  TaggedFixed valeur2{1, Fixed::FromInt(1)};
  int16_t uniteCm = 1;
  std::string texteTous = "<tous>";
  std::string imprimantePdf = "novaPDF";
  std::string imprimanteApercu = "Aperçu par défaut";
  std::string codeDefaut = "00";
  // The whole file as last read, for the fields whose readers live elsewhere.
  FichierGeneral fichier;
  bool fichierLu = false;

  std::string UniteLongueur() const { return uniteCm != 0 ? "cm" : "mm"; }
};

// One row of "Tva.DB" as ChargerTauxTva needs it.
struct LigneTva {
  bool typeBlank = false;
  int64_t typeTva = 0;
  double dateDeb = 0;  // day numbers; a blank date reads as 0
  double dateFin = 0;
  double valeur = 0;
};

// Where the VAT rows come from (the table "Tva.DB", or a test's list).
class SourceTauxTva {
 public:
  virtual ~SourceTauxTva() = default;
  // All rows in table order.
  virtual pdx::Status Lire(std::vector<LigneTva>* rows) = 0;
};

// Applies the rows in force at `maintenant` (a day number): DateDeb not after it
// and DateFin not before it; Type_Tva 0, 1, 2 choose the slot (tag 2), other
// types are ignored; later rows overwrite earlier ones. Parameters are left as
// they were when the rows cannot be read.
pdx::Status ChargerTauxTva(SourceTauxTva& source, double maintenant, ParametresGeneraux* p);

// Reads "General" from the administration directory; with flag 1, then runs
// ChargerTauxTva (source may then not be null). A missing, short or damaged file
// is silent and leaves the parameters as they were; the status reports why.
pdx::Status ChargerParametresGeneraux(int flag, const Chemins& chemins, const HostPaths& host,
                                      SourceTauxTva* source, double maintenant, ParametresGeneraux* p);

}  // namespace corv
