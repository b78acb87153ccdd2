// Commands of the transfers: transfert SORTE [--reel] [options].
#include <cstdio>
#include <optional>

#include "commandes.h"
#include "execution_run.h"
#include "transfer/conditions.h"
#include "transfert_autres.h"

namespace corv::batch {

const char* const kUsageTransfert =
    "  transfert conditions-achat|conditions-vente|personnalisations|messagerie|documents [--reel] [options]\n"
    "      Copie les données du siège vers chaque agence qui a son propre répertoire\n"
    "      Administration. Sans --reel, le lancement est une simulation : tout est compté\n"
    "      et affiché, rien n'est écrit. Un lancement réel sauvegarde d'abord chaque table\n"
    "      qu'il modifie (voir « restauration »).\n"
    "      Options des conditions d'achat et de vente (chacune remplace la valeur de\n"
    "      \"Corvanes.ini\", section TransfertRemiseAchat ou TransfertRemiseVente) :\n"
    "        --suppression / --sans-suppression\n"
    "            supprimer (ou non) les remises de l'agence avant la copie\n"
    "        --fournisseurs-sans-remises / --sans-fournisseurs-sans-remises\n"
    "            supprimer aussi (ou non) les remises des fabricants sans remises au siège\n"
    "        --conditions-particulieres  copier aussi les conditions particulières (clients)\n"
    "        --ecraser                   écraser la remise de l'agence au lieu de garder la\n"
    "                                    meilleure\n"
    "        --zone-libre                inclure les fournisseurs Zone Libre\n"
    "        --details                   afficher les informations détaillées\n"
    "      Les journaux \"copie_remises_achat_messages.log\" et \"..._erreurs.log\" (ou vente)\n"
    "      sont écrits à côté de l'exécutable, ou à côté de \"qvrbde.ini\" quand ce\n"
    "      répertoire n'est pas accessible en écriture.\n";

namespace {

int ErreurUsage(const std::string& sorte, const std::string& quoi) {
  std::fprintf(stderr, "corvanes-batch : transfert %s : %s\n\nUsage :\n%s", sorte.c_str(), quoi.c_str(),
               kUsageTransfert);
  return kUsage;
}

// What the command line says, each absent option keeping "Corvanes.ini"'s value.
struct Surcharges {
  bool reel = false;
  std::optional<bool> suppression, ajoutFournisseurs;
  bool conditionsParticulieres = false, ecraser = false, zoneLibre = false, details = false;
};

int TransfertConditionsCommande(const Contexte& ctx, const std::string& sorte, const std::vector<std::string>& args) {
  Surcharges s;
  for (const auto& a : args) {
    if (a == "--reel") s.reel = true;
    else if (a == "--suppression") s.suppression = true;
    else if (a == "--sans-suppression") s.suppression = false;
    else if (a == "--fournisseurs-sans-remises") s.ajoutFournisseurs = true;
    else if (a == "--sans-fournisseurs-sans-remises") s.ajoutFournisseurs = false;
    else if (a == "--conditions-particulieres") s.conditionsParticulieres = true;
    else if (a == "--ecraser") s.ecraser = true;
    else if (a == "--zone-libre") s.zoneLibre = true;
    else if (a == "--details") s.details = true;
    else return ErreurUsage(sorte, "option inconnue : " + a);
  }
  int echec = kEchec;
  std::unique_ptr<Installation> inst = Demarrer(ctx, &echec);
  if (!inst) return echec;
  const int mode = sorte == "conditions-vente" ? kModeVente : kModeAchat;
  OptionsConditions o = LireOptionsConditions(*inst->app, mode);
  if (s.suppression) o.suppression = *s.suppression;
  if (s.ajoutFournisseurs) o.ajoutFournisseurs = *s.ajoutFournisseurs;
  if (s.conditionsParticulieres) o.conditionsParticulieres = true;
  if (s.ecraser) o.ecraser = true;
  if (s.zoneLibre) o.zoneLibre = true;
  if (s.details) o.details = true;
  PreparationRun p = PreparerRun(ctx, *inst->app, s.reel);
  ConsoleRunReport console;
  TransfertConditions run(*inst->app, console, p.options, o);
  return ExecuterRun(run, console);
}

}  // namespace

int Transfert(const Contexte& ctx, const std::vector<std::string>& args) {
  if (args.empty()) return ErreurUsage("", "sorte de transfert manquante");
  if (args[0] == "--help" || args[0] == "-h" || (args.size() > 1 && (args[1] == "--help" || args[1] == "-h"))) {
    std::fprintf(stdout, "Usage :\n%s", kUsageTransfert);
    return kTermine;
  }
  std::vector<std::string> reste(args.begin() + 1, args.end());
  if (EstTransfertAutre(args[0])) return TransfertAutre(ctx, args[0], reste);
  if (args[0] == "conditions-achat" || args[0] == "conditions-vente")
    return TransfertConditionsCommande(ctx, args[0], reste);
  return ErreurUsage("", "sorte de transfert inconnue : " + args[0]);
}

}  // namespace corv::batch
