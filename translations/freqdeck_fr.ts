<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>AttributeHelp</name>
    <message>
        <source>The online CPUs that share this CPU&apos;s frequency settings.</source>
        <translation>Les CPU en ligne qui partagent les réglages de fréquence de ce CPU.</translation>
    </message>
    <message>
        <source>All CPUs, online or not, that share this CPU&apos;s frequency settings.</source>
        <translation>Tous les CPU, en ligne ou non, qui partagent les réglages de fréquence de ce CPU.</translation>
    </message>
    <message>
        <source>The highest frequency the firmware allows at the moment.</source>
        <translation>La fréquence la plus haute que le micrologiciel permet en ce moment.</translation>
    </message>
    <message>
        <source>The frequency the processor guarantees without turbo.</source>
        <translation>La fréquence que le processeur garantit sans turbo.</translation>
    </message>
    <message>
        <source>The frequency the hardware reports running at now.</source>
        <translation>La fréquence à laquelle le matériel dit tourner en ce moment.</translation>
    </message>
    <message>
        <source>The highest frequency the processor can run at.</source>
        <translation>La fréquence la plus haute à laquelle le processeur peut tourner.</translation>
    </message>
    <message>
        <source>The lowest frequency the processor can run at.</source>
        <translation>La fréquence la plus basse à laquelle le processeur peut tourner.</translation>
    </message>
    <message>
        <source>How long the processor takes to change from one frequency to another.</source>
        <translation>Le temps que met le processeur pour passer d’une fréquence à une autre.</translation>
    </message>
    <message>
        <source>The energy-performance preferences this processor accepts.</source>
        <translation>Les préférences énergie-performance que ce processeur accepte.</translation>
    </message>
    <message>
        <source>A hint to the processor on how far to trade speed for energy; the performance governor allows only &quot;performance&quot;.</source>
        <translation>Une indication au processeur sur l’équilibre entre vitesse et énergie ; le gouverneur performance n’accepte que « performance ».</translation>
    </message>
    <message>
        <source>The energy-performance bias, from 0 (fastest) to 15 (most frugal).</source>
        <translation>Le biais énergie-performance, de 0 (le plus rapide) à 15 (le plus économe).</translation>
    </message>
    <message>
        <source>Whether the CPU runs; an offline CPU takes no work.</source>
        <translation>Si le CPU tourne ; un CPU hors ligne ne reçoit aucun travail.</translation>
    </message>
    <message>
        <source>The frequencies the driver can set, where it offers a fixed list.</source>
        <translation>Les fréquences que le pilote peut régler, quand il en offre une liste fixe.</translation>
    </message>
    <message>
        <source>The governors that can be chosen for this CPU.</source>
        <translation>Les gouverneurs que l’on peut choisir pour ce CPU.</translation>
    </message>
    <message>
        <source>The frequency the kernel last saw this CPU run at.</source>
        <translation>La dernière fréquence à laquelle le noyau a vu tourner ce CPU.</translation>
    </message>
    <message>
        <source>The driver that sets this CPU&apos;s frequency.</source>
        <translation>Le pilote qui règle la fréquence de ce CPU.</translation>
    </message>
    <message>
        <source>The governor that picks the frequency between the two limits.</source>
        <translation>Le gouverneur qui choisit la fréquence entre les deux limites.</translation>
    </message>
    <message>
        <source>The upper limit: the governor never picks a higher frequency.</source>
        <translation>La limite haute : le gouverneur ne choisit jamais de fréquence plus haute.</translation>
    </message>
    <message>
        <source>The lower limit: the governor never picks a lower frequency.</source>
        <translation>La limite basse : le gouverneur ne choisit jamais de fréquence plus basse.</translation>
    </message>
    <message>
        <source>The frequency to run at, chosen by hand; taken only under the userspace governor.</source>
        <translation>La fréquence choisie à la main ; prise en compte seulement avec le gouverneur userspace.</translation>
    </message>
    <message>
        <source>MHz</source>
        <translation>MHz</translation>
    </message>
    <message>
        <source>ns</source>
        <translation>ns</translation>
    </message>
    <message>
        <source>%1 Unit: %2.</source>
        <extracomment>A tool tip: the attribute&apos;s summary, then its unit.</extracomment>
        <translation>%1 Unité : %2.</translation>
    </message>
</context>
<context>
    <name>CoreNavigator</name>
    <message>
        <source>All</source>
        <translation>Tous</translation>
    </message>
    <message>
        <source>Previous core</source>
        <translation>Cœur précédent</translation>
    </message>
    <message>
        <source>Next core</source>
        <translation>Cœur suivant</translation>
    </message>
    <message>
        <source>Choose a core</source>
        <translation>Choisir un cœur</translation>
    </message>
    <message>
        <source>Every core with its current frequency</source>
        <translation>Chaque cœur avec sa fréquence actuelle</translation>
    </message>
    <message>
        <source>Go to core…</source>
        <translation>Aller au cœur…</translation>
    </message>
    <message>
        <source>Type a core&apos;s number and press Enter</source>
        <translation>Saisir le numéro d’un cœur et appuyer sur Entrée</translation>
    </message>
    <message>
        <source>Core %1 · offline</source>
        <translation>Cœur %1 · hors ligne</translation>
    </message>
    <message>
        <source>Core %1</source>
        <translation>Cœur %1</translation>
    </message>
    <message>
        <source>Core %1 · %2 MHz</source>
        <translation>Cœur %1 · %2 MHz</translation>
    </message>
    <message>
        <source>Core %1 (%2) · offline</source>
        <translation>Cœur %1 (%2) · hors ligne</translation>
    </message>
    <message>
        <source>Core %1 (%2) · %3 MHz</source>
        <translation>Cœur %1 (%2) · %3 MHz</translation>
    </message>
    <message>
        <source>Core %1 (%2)</source>
        <translation>Cœur %1 (%2)</translation>
    </message>
</context>
<context>
    <name>GroupWriter</name>
    <message>
        <source>no CPU of %1 is online; its limits were not written</source>
        <translation>aucun CPU de %1 n’est en ligne ; ses limites n’ont pas été écrites</translation>
    </message>
</context>
<context>
    <name>MainPage</name>
    <message>
        <source>Profile for all CPUs</source>
        <translation>Profil pour tous les CPU</translation>
    </message>
    <message>
        <source>Load Settings</source>
        <translation>Charger les réglages</translation>
    </message>
    <message>
        <source>Save Settings</source>
        <translation>Enregistrer les réglages</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>%1: 1 setting was not applied.</source>
        <translation>%1 : 1 réglage n’a pas été appliqué.</translation>
    </message>
    <message>
        <source>%1: %2 settings were not applied.</source>
        <translation>%1 : %2 réglages n’ont pas été appliqués.</translation>
    </message>
    <message>
        <source>Driver: %1

</source>
        <translation>Pilote : %1

</translation>
    </message>
    <message>
        <source>unreadable</source>
        <translation>illisible</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>Charger</translation>
    </message>
    <message>
        <source>Could not load the settings from %1.

%2</source>
        <translation>Impossible de charger les réglages depuis %1.

%2</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Could not save the settings to %1.

%2</source>
        <translation>Impossible d’enregistrer les réglages dans %1.

%2</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 existe déjà.
Voulez-vous le remplacer ?</translation>
    </message>
    <message>
        <source>%1 MHz</source>
        <translation>%1 MHz</translation>
    </message>
    <message>
        <source>CPUs to apply to</source>
        <translation>CPU concernés</translation>
    </message>
    <message>
        <source>Which CPUs the profile and the limits go to</source>
        <translation>Les CPU auxquels vont le profil et les limites</translation>
    </message>
    <message>
        <source>Profile for the chosen CPUs</source>
        <translation>Profil pour les CPU choisis</translation>
    </message>
    <message>
        <source> MHz</source>
        <translation> MHz</translation>
    </message>
    <message>
        <source>min </source>
        <translation>min </translation>
    </message>
    <message>
        <source>Lower frequency limit</source>
        <translation>Limite inférieure de fréquence</translation>
    </message>
    <message>
        <source>max </source>
        <translation>max </translation>
    </message>
    <message>
        <source>Upper frequency limit</source>
        <translation>Limite supérieure de fréquence</translation>
    </message>
    <message>
        <source>Set limits</source>
        <translation>Fixer les limites</translation>
    </message>
    <message>
        <source>Writes both limits to the chosen CPUs, once per policy</source>
        <translation>Écrit les deux limites pour les CPU choisis, une fois par politique</translation>
    </message>
    <message>
        <source>Writes both limits to every CPU</source>
        <translation>Écrit les deux limites pour chaque CPU</translation>
    </message>
    <message>
        <source>Limits</source>
        <translation>Limites</translation>
    </message>
    <message>
        <source>Limits for %1</source>
        <translation>Limites pour %1</translation>
    </message>
    <message>
        <source>the lower limit (%1 MHz) is above the upper one (%2 MHz); nothing was written</source>
        <translation>la limite inférieure (%1 MHz) dépasse la supérieure (%2 MHz) ; rien n’a été écrit</translation>
    </message>
    <message>
        <source>%1 for %2</source>
        <comment>profile for group</comment>
        <translation>%1 pour %2</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>All</source>
        <translation>Tous</translation>
    </message>
    <message>
        <source>Core %1</source>
        <translation>Cœur %1</translation>
    </message>
    <message>
        <source>Core %1 (%2)</source>
        <translation>Cœur %1 (%2)</translation>
    </message>
</context>
<context>
    <name>PolicyDisplayWidget</name>
    <message>
        <source>%1 MHz</source>
        <translation>%1 MHz</translation>
    </message>
    <message>
        <source>unreadable</source>
        <translation>illisible</translation>
    </message>
</context>
<context>
    <name>PolicyEditorWidget</name>
    <message>
        <source>%1 in %2</source>
        <translation>%1 en %2</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Appliquer</translation>
    </message>
    <message>
        <source>unreadable</source>
        <translation>illisible</translation>
    </message>
    <message>
        <source>Succeed</source>
        <translation>Réussi</translation>
    </message>
    <message>
        <source>CPU %1</source>
        <translation>CPU %1</translation>
    </message>
    <message>
        <source>CPU %1 online</source>
        <translation>CPU %1 en ligne</translation>
    </message>
    <message>
        <source>%1 succeed, %2 failed.</source>
        <translation>%1 réussi(s), %2 en échec.</translation>
    </message>
    <message>
        <source>%1 succeed, %2 failed. %3</source>
        <translation>%1 réussi(s), %2 en échec. %3</translation>
    </message>
    <message>
        <source>unreadable: %1</source>
        <translation>illisible : %1</translation>
    </message>
    <message>
        <source>a preference from the list, or a raw value from 0 to 255</source>
        <translation>une préférence de la liste, ou une valeur brute de 0 à 255</translation>
    </message>
    <message>
        <source>0 favours performance, 15 saving power</source>
        <translation>0 favorise les performances, 15 les économies d’énergie</translation>
    </message>
</context>
<context>
    <name>ProcessorPanel</name>
    <message>
        <source>on</source>
        <translation>activé</translation>
    </message>
    <message>
        <source>Boost</source>
        <translation>Boost</translation>
    </message>
    <message>
        <source>cpufreq/boost or intel_pstate/no_turbo</source>
        <translation>cpufreq/boost ou intel_pstate/no_turbo</translation>
    </message>
    <message>
        <source>Driver mode</source>
        <translation>Mode du pilote</translation>
    </message>
    <message>
        <source>intel_pstate/status or amd_pstate/status</source>
        <translation>intel_pstate/status ou amd_pstate/status</translation>
    </message>
    <message>
        <source>Max performance</source>
        <translation>Performances maximales</translation>
    </message>
    <message>
        <source>Min performance</source>
        <translation>Performances minimales</translation>
    </message>
    <message>
        <source>Dynamic boost</source>
        <translation>Boost dynamique</translation>
    </message>
    <message>
        <source>Preferred cores</source>
        <translation>Cœurs préférés</translation>
    </message>
    <message>
        <source>amd_pstate/prefcore; ranking: cpufreq/amd_pstate_prefcore_ranking</source>
        <translation>amd_pstate/prefcore ; classement : cpufreq/amd_pstate_prefcore_ranking</translation>
    </message>
    <message>
        <source>off</source>
        <translation>désactivé</translation>
    </message>
    <message>
        <source>; ranking</source>
        <translation> ; classement</translation>
    </message>
    <message>
        <source>Processor</source>
        <translation>Processeur</translation>
    </message>
    <message>
        <source>Switching the driver to %1 mode resets every core&apos;s governor, limits and energy preference, and the new mode may lack some of them.

Switch now?</source>
        <translation>Passer le pilote en mode %1 réinitialise le gouverneur, les limites et la préférence énergétique de chaque cœur, et le nouveau mode peut ne pas tous les offrir.

Changer maintenant ?</translation>
    </message>
    <message>
        <source>The driver is in %1 mode now, with its default settings.

Apply the settings the cores had before the switch?</source>
        <translation>Le pilote est maintenant en mode %1, avec ses réglages par défaut.

Appliquer les réglages qu’avaient les cœurs avant le changement ?</translation>
    </message>
    <message>
        <source>%1 mode</source>
        <translation>mode %1</translation>
    </message>
</context>
<context>
    <name>Profile</name>
    <message>
        <source>Performance</source>
        <translation>Performance</translation>
    </message>
    <message>
        <source>Governor performance; limits from the lowest to the highest frequency.</source>
        <translation>Gouverneur performance ; limites de la fréquence la plus basse à la plus haute.</translation>
    </message>
    <message>
        <source>Fast</source>
        <translation>Rapide</translation>
    </message>
    <message>
        <source>Governor performance; upper limit near two thirds of the highest frequency.</source>
        <translation>Gouverneur performance ; limite haute vers les deux tiers de la fréquence maximale.</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Governor unchanged; upper limit near half the highest frequency.</source>
        <translation>Gouverneur inchangé ; limite haute vers la moitié de la fréquence maximale.</translation>
    </message>
    <message>
        <source>Slow</source>
        <translation>Lent</translation>
    </message>
    <message>
        <source>Governor unchanged; upper limit near a third of the highest frequency.</source>
        <translation>Gouverneur inchangé ; limite haute vers le tiers de la fréquence maximale.</translation>
    </message>
    <message>
        <source>Powersave</source>
        <translation>Économie</translation>
    </message>
    <message>
        <source>Governor powersave; both limits at the lowest frequency.</source>
        <translation>Gouverneur powersave ; les deux limites à la fréquence la plus basse.</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>Personnalisé</translation>
    </message>
    <message>
        <source>Brings every core online and changes nothing else.</source>
        <translation>Met chaque cœur en ligne et ne change rien d’autre.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>unreadable (%1)</source>
        <translation>illisible (%1)</translation>
    </message>
</context>
<context>
    <name>TopologyText</name>
    <message>
        <source>P-cores</source>
        <translation>Cœurs P</translation>
    </message>
    <message>
        <source>E-cores</source>
        <translation>Cœurs E</translation>
    </message>
    <message>
        <source>Cores of capacity %1</source>
        <translation>Cœurs de capacité %1</translation>
    </message>
    <message>
        <source>P</source>
        <comment>performance core</comment>
        <translation>P</translation>
    </message>
    <message>
        <source>E</source>
        <comment>efficient core</comment>
        <translation>E</translation>
    </message>
    <message>
        <source>cap. %1</source>
        <comment>core capacity</comment>
        <translation>cap. %1</translation>
    </message>
    <message>
        <source>Policy %1, shared by CPUs %2</source>
        <translation>Politique %1, partagée par les CPU %2</translation>
    </message>
    <message>
        <source>A change here applies to all of them.</source>
        <translation>Une modification ici s’applique à tous.</translation>
    </message>
    <message>
        <source>Performance core</source>
        <translation>Cœur de performance</translation>
    </message>
    <message>
        <source>Efficient core</source>
        <translation>Cœur efficace</translation>
    </message>
    <message>
        <source>Core of capacity %1</source>
        <translation>Cœur de capacité %1</translation>
    </message>
    <message>
        <source>%1 · policy %2, shared by CPUs %3</source>
        <translation>%1 · politique %2, partagée par les CPU %3</translation>
    </message>
    <message>
        <source>%1 · policy %2 (CPUs %3)</source>
        <translation>%1 · politique %2 (CPU %3)</translation>
    </message>
    <message>
        <source>Policy %1 (CPUs %2)</source>
        <translation>Politique %1 (CPU %2)</translation>
    </message>
    <message>
        <source>%1 (CPUs %2)</source>
        <translation>%1 (CPU %2)</translation>
    </message>
    <message>
        <source>Other CPUs (%1)</source>
        <translation>Autres CPU (%1)</translation>
    </message>
    <message>
        <source>All CPUs</source>
        <translation>Tous les CPU</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Error</source>
        <translation>Erreur</translation>
    </message>
    <message>
        <source>Run it as root user</source>
        <translation>À lancer en tant que root</translation>
    </message>
    <message>
        <source>freqdeck %1</source>
        <translation>freqdeck %1</translation>
    </message>
</context>
</TS>
