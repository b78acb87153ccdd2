#include "console.h"

#include "plateforme.h"

namespace corv::batch {

ConsoleRunReport::ConsoleRunReport(std::FILE* out, std::FILE* err)
    : out_(out), err_(err), terminal_(EstTerminal(err)) {}

ConsoleRunReport::~ConsoleRunReport() { Effacer(); }

void ConsoleRunReport::Effacer() {
  if (!shown_) return;
  std::fputs("\r\033[K", err_);
  std::fflush(err_);
  shown_ = false;
}

void ConsoleRunReport::Afficher() {
  if (!terminal_) return;
  std::string line;
  if (agMax_ > 0) {
    line = "Agence " + std::to_string(agPos_ < agMax_ ? agPos_ + 1 : agMax_) + "/" + std::to_string(agMax_);
    if (!agency_.empty()) line += " : " + agency_;
  } else if (rowMax_ > 0) {
    line = (reading_.empty() ? std::string("Lecture") : reading_) + " " + std::to_string(rowPos_) + "/" +
           std::to_string(rowMax_);
  } else {
    line = !agency_.empty() ? agency_ : reading_;
  }
  // Keep to one terminal line so that \r rewrites it.
  if (line.size() > 100) line = line.substr(0, 100);
  std::fprintf(err_, "\r\033[K%s", line.c_str());
  std::fflush(err_);
  shown_ = true;
}

void ConsoleRunReport::Message(const std::string& line) {
  Effacer();
  std::fprintf(out_, "%s\n", line.c_str());
  std::fflush(out_);
  Afficher();
}

void ConsoleRunReport::Error(const std::string& line) {
  Effacer();
  std::fprintf(err_, "%s\n", line.c_str());
  std::fflush(err_);
  Afficher();
}

void ConsoleRunReport::ReadingLabel(const std::string& text) {
  reading_ = text;
  Afficher();
}

void ConsoleRunReport::AgencyLabel(const std::string& text) {
  agency_ = text;
  Afficher();
}

void ConsoleRunReport::RowProgress(int position, int maximum) {
  rowPos_ = position;
  rowMax_ = maximum;
  // Repainting every row would cost more than the run itself on a terminal.
  if (maximum < 200 || position % 100 == 0 || position == maximum) Afficher();
}

void ConsoleRunReport::AgencyProgress(int position, int maximum) {
  agPos_ = position;
  agMax_ = maximum;
  Afficher();
}

}  // namespace corv::batch
