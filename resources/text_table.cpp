// The numbered text table: every text the program shows, in French, by number.
// Source is UTF-8; lookups convert to the program's Windows-1252. The QT_TRANSLATE_NOOP marks
// let lupdate collect the texts for the English module.
#include "resources/text_table.h"

#include <algorithm>
#include <iterator>

#define QT_TRANSLATE_NOOP(context, text) text

namespace mobrelle {
namespace {

constexpr TextEntry kTexts[] = {
    {1001, QT_TRANSLATE_NOOP("Texts", "Mobrelle - Mot de passe au démarrage")},
    {1002, QT_TRANSLATE_NOOP("Texts", "Jan\r\nFeb\r\nMar\r\nApr\r\nMay\r\nJun\r\nJul\r\nAug\r\nSep\r\nOct\r\nNov\r\nDec")},
    {1003, QT_TRANSLATE_NOOP("Texts", "Saisir le mot de passe")},
    {1005, QT_TRANSLATE_NOOP("Texts", "  (clic droit sur la boîte à manipuler ou pour le menu)")},
    {1006, QT_TRANSLATE_NOOP("Texts", "Attente accès Internet...")},
    {1007, QT_TRANSLATE_NOOP("Texts", "Premiere utilisation.rtf")},
    {1008, QT_TRANSLATE_NOOP("Texts", "Démarrage...")},
    {1010, QT_TRANSLATE_NOOP("Texts", "Désactivé")},
    {1011, QT_TRANSLATE_NOOP("Texts", "Attente de connexion sur ")},
    {1012, QT_TRANSLATE_NOOP("Texts", "Echec connexion sur ")},
    {1013, QT_TRANSLATE_NOOP("Texts", "Erreur")},
    {1014, QT_TRANSLATE_NOOP("Texts", "Connecté à ")},
    {1015, QT_TRANSLATE_NOOP("Texts", "Stoppe l'interrogation de ")},
    {1019, QT_TRANSLATE_NOOP("Texts", " octets.")},
    {1024, QT_TRANSLATE_NOOP("Texts", "Message de ")},
    {1032, QT_TRANSLATE_NOOP("Texts", "Exp: ")},
    {1033, QT_TRANSLATE_NOOP("Texts", "\r\nObjet: ")},
    {1034, QT_TRANSLATE_NOOP("Texts", "\r\n\r\nCliquer ici pour + de détails")},
    {1036, QT_TRANSLATE_NOOP("Texts", "  (clic droit sur le message à manipuler ou clic sur l'entête de colonne pour trier)")},
    {1038, QT_TRANSLATE_NOOP("Texts", "Fin interrogation de ")},
    {1039, QT_TRANSLATE_NOOP("Texts", "Mobrelle - Créer une boîte")},
    {1041, QT_TRANSLATE_NOOP("Texts", "Mobrelle - Modifier une boîte")},
    {1043, QT_TRANSLATE_NOOP("Texts", "Mobrelle - Supprimer une boîte")},
    {1048, QT_TRANSLATE_NOOP("Texts", "Suppression définitive de message")},
    {1049, QT_TRANSLATE_NOOP("Texts", "Suppression de message en cours...")},
    {1050, QT_TRANSLATE_NOOP("Texts", "Saisir le mot de passe")},
    {1055, QT_TRANSLATE_NOOP("Texts", "&Désactiver")},
    {1057, QT_TRANSLATE_NOOP("Texts", "Ne peut pas lancer le client de messagerie ")},
    {1058, QT_TRANSLATE_NOOP("Texts", "Impossible de charger Wininet.dll")},
    {1059, QT_TRANSLATE_NOOP("Texts", "Erreur appel fonction InternetGetConnectedState")},
    {1060, QT_TRANSLATE_NOOP("Texts", "Supprimer la protection par mot de passe")},
    {1061, QT_TRANSLATE_NOOP("Texts", "Saisir le mot de passe actuel")},
    {1062, QT_TRANSLATE_NOOP("Texts", "La protection par mot de passe a été supprimée")},
    {1063, QT_TRANSLATE_NOOP("Texts", "Saisir le mot de passe")},
    {1064, QT_TRANSLATE_NOOP("Texts", "Mot de Passe invalide")},
    {1065, QT_TRANSLATE_NOOP("Texts", "Confirmer le mot de passe")},
    {1066, QT_TRANSLATE_NOOP("Texts", "Mauvaise saisie")},
    {1068, QT_TRANSLATE_NOOP("Texts", "defaut.wav")},
    {1069, QT_TRANSLATE_NOOP("Texts", "Opération impossible car des messages existent pour cette boîte")},
    {1071, QT_TRANSLATE_NOOP("Texts", "Utiliser l'ordre actuel pour le prochain redémarrage ?")},
    {1072, QT_TRANSLATE_NOOP("Texts", "Sauvegarder l'ordre des boîtes")},
    {1075, QT_TRANSLATE_NOOP("Texts", "Ce message ne correspond pas à ce qui se trouve désormais sur le serveur POP.\r\nLa liste va être rafraichie")},
    {1076, QT_TRANSLATE_NOOP("Texts", "Mobrelle - Erreur")},
    {1091, QT_TRANSLATE_NOOP("Texts", "Pas de connexion Internet trouvée")},
    {1094, QT_TRANSLATE_NOOP("Texts", "En attente de déconnexion...")},
    {1099, QT_TRANSLATE_NOOP("Texts", "parametrage.html")},
    {1100, QT_TRANSLATE_NOOP("Texts", "Prêt")},
    {1101, QT_TRANSLATE_NOOP("Texts", " supprimé")},
    {1102, QT_TRANSLATE_NOOP("Texts", "Premier lancement")},
    {1103, QT_TRANSLATE_NOOP("Texts", "Démarrer avec les filtres par défaut ?")},
    {1109, QT_TRANSLATE_NOOP("Texts", "Vérification de la version")},
    {1110, QT_TRANSLATE_NOOP("Texts", " - Désactivé")},
    {1111, QT_TRANSLATE_NOOP("Texts", "Opération impossible pendant l'interrogation de cette boîte")},
    {1112, QT_TRANSLATE_NOOP("Texts", "Ce nom est réservé aux réglages de Mobrelle : choisissez-en un autre")},
    {1535, QT_TRANSLATE_NOOP("Texts", " %d message trouvé sur le(s) serveur(s)")},
    {1536, QT_TRANSLATE_NOOP("Texts", " %d messages trouvés sur le(s) serveur(s)")},
    {1547, QT_TRANSLATE_NOOP("Texts", "Supprimer DEFINITIVEMENT %d message du serveur ?")},
    {1548, QT_TRANSLATE_NOOP("Texts", "Supprimer DEFINITIVEMENT %d messages des serveurs ?")},
    {1592, QT_TRANSLATE_NOOP("Texts", "%d boîte aux lettres")},
    {1593, QT_TRANSLATE_NOOP("Texts", "%d boîtes aux lettres")},
    {2005, QT_TRANSLATE_NOOP("Texts", "Erreur")},
    {2006, QT_TRANSLATE_NOOP("Texts", "Les 2 mots de passe doivent être identiques")},
    {2007, QT_TRANSLATE_NOOP("Texts", "Tous les champs doivent être remplis")},
    {2008, QT_TRANSLATE_NOOP("Texts", " doit être numérique")},
    {2012, QT_TRANSLATE_NOOP("Texts", "Avancé >>")},
    {2013, QT_TRANSLATE_NOOP("Texts", "Avancé <<")},
    {2014, QT_TRANSLATE_NOOP("Texts", "Pour le domaine @")},
    {2016, QT_TRANSLATE_NOOP("Texts", "Le domaine n'est pas spécifié alors qu'il y a des destinataires")},
    {2017, QT_TRANSLATE_NOOP("Texts", "Il faut spécifier au moins une adresse de destinataire")},
    {10000, QT_TRANSLATE_NOOP("Texts", "N° Msg")},
    {10001, QT_TRANSLATE_NOOP("Texts", "Expéditeur")},
    {10002, QT_TRANSLATE_NOOP("Texts", "Sujet")},
    {10003, QT_TRANSLATE_NOOP("Texts", "Date - Heure")},
    {10004, QT_TRANSLATE_NOOP("Texts", "Taille")},
    {10005, QT_TRANSLATE_NOOP("Texts", "Boîte d'origine")},
    {10006, QT_TRANSLATE_NOOP("Texts", "Type de contenu")},
    {10007, QT_TRANSLATE_NOOP("Texts", "Uidl")},
    {10008, QT_TRANSLATE_NOOP("Texts", "Champ Destinataire  'À'")},
    {10009, QT_TRANSLATE_NOOP("Texts", "Champ Destinataire 'Cc'")},
    {20000, QT_TRANSLATE_NOOP("Texts", "Nom de boîte")},
    {20001, QT_TRANSLATE_NOOP("Texts", "Intervalle")},
    {20002, QT_TRANSLATE_NOOP("Texts", "Nb. Msg.")},
    {20003, QT_TRANSLATE_NOOP("Texts", "Identifiant")},
    {20004, QT_TRANSLATE_NOOP("Texts", "Serveur POP")},
    {20005, QT_TRANSLATE_NOOP("Texts", "Destinataire(s) exclusif(s)")},
};

}  // namespace

const char* DefaultText(int id) {
  const auto* it = std::lower_bound(std::begin(kTexts), std::end(kTexts), id,
                                    [](const TextEntry& e, int v) { return e.id < v; });
  return it != std::end(kTexts) && it->id == id ? it->text : nullptr;
}

std::span<const TextEntry> AllTexts() { return kTexts; }

}  // namespace mobrelle
