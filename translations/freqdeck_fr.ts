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
    <name>CapChainView</name>
    <message>
        <source>Why this frequency</source>
        <translation>Pourquoi cette fréquence</translation>
    </message>
    <message>
        <source>Ceiling</source>
        <translation>Plafond</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Valeur</translation>
    </message>
    <message>
        <source>Holds it down</source>
        <translation>Bride</translation>
    </message>
    <message>
        <source>Ceilings of the frequency</source>
        <translation>Plafonds de la fréquence</translation>
    </message>
    <message>
        <source>Held down by %1: %2.</source>
        <translation>Bridé par %1 : %2.</translation>
    </message>
    <message>
        <source>No single ceiling holds this core down.</source>
        <translation>Aucun plafond à lui seul ne bride ce cœur.</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>oui</translation>
    </message>
    <message>
        <source>may</source>
        <translation>possible</translation>
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
    <name>HeatMap</name>
    <message>
        <source>now</source>
        <translation>maintenant</translation>
    </message>
    <message>
        <source>%1 s ago</source>
        <translation>il y a %1 s</translation>
    </message>
    <message>
        <source>%1:%2 min ago</source>
        <translation>il y a %1:%2 min</translation>
    </message>
    <message>
        <source>Frequency of every CPU over the last ten minutes</source>
        <translation>Fréquence de chaque CPU sur les dix dernières minutes</translation>
    </message>
    <message>
        <source>Utilisation of every CPU over the last ten minutes</source>
        <translation>Utilisation de chaque CPU sur les dix dernières minutes</translation>
    </message>
    <message>
        <source> (read %1 s before)</source>
        <translation> (lu %1 s plus tôt)</translation>
    </message>
    <message>
        <source>CPU %1, %2</source>
        <translation>CPU %1, %2</translation>
    </message>
    <message>
        <source>frequency not sampled</source>
        <translation>fréquence non relevée</translation>
    </message>
    <message>
        <source>%1 MHz</source>
        <translation>%1 MHz</translation>
    </message>
    <message>
        <source>utilisation unknown</source>
        <translation>utilisation inconnue</translation>
    </message>
    <message>
        <source>%1 % busy</source>
        <translation>occupé à %1 %</translation>
    </message>
    <message>
        <source>package %1 °C</source>
        <translation>boîtier %1 °C</translation>
    </message>
    <message>
        <source>package %1 W</source>
        <translation>boîtier %1 W</translation>
    </message>
    <message>
        <source>CPU %1</source>
        <translation>CPU %1</translation>
    </message>
    <message>
        <source>−%1 min</source>
        <translation>−%1 min</translation>
    </message>
</context>
<context>
    <name>HoldNotice</name>
    <message>
        <source>Set again</source>
        <translation>Fixer à nouveau</translation>
    </message>
    <message>
        <source>Writes the values freqdeck set once more</source>
        <translation>Écrit une nouvelle fois les valeurs fixées par freqdeck</translation>
    </message>
    <message>
        <source>Keep new values</source>
        <translation>Garder les nouvelles valeurs</translation>
    </message>
    <message>
        <source>Takes the values found as freqdeck&apos;s own; the marks go</source>
        <translation>Adopte les valeurs trouvées comme celles de freqdeck ; les marques disparaissent</translation>
    </message>
    <message>
        <source>1 setting changed outside freqdeck</source>
        <translation>1 réglage modifié hors de freqdeck</translation>
    </message>
    <message>
        <source>%1 settings changed outside freqdeck</source>
        <translation>%1 réglages modifiés hors de freqdeck</translation>
    </message>
    <message>
        <source>%1 (%2) manages %3</source>
        <translation>%1 (%2) gère %3</translation>
    </message>
    <message>
        <source>Both write the same files; the last writer wins. Choose: keep freqdeck&apos;s settings only where %1 leaves them alone, or stop using freqdeck for those settings. Nothing is disabled or masked either way.</source>
        <translation>Les deux écrivent les mêmes fichiers ; le dernier qui écrit l’emporte. Choisissez : garder les réglages de freqdeck seulement là où %1 n’y touche pas, ou cesser d’utiliser freqdeck pour ces réglages. Dans les deux cas, rien n’est désactivé ni masqué.</translation>
    </message>
    <message>
        <source>The restore at boot and resume follows root&apos;s choice: sudo freqdeck-cli tools share|leave</source>
        <translation>La restauration au démarrage et à la reprise suit le choix de root : sudo freqdeck-cli tools share|leave</translation>
    </message>
    <message>
        <source>Keep where left alone</source>
        <translation>Garder ce qu’il laisse libre</translation>
    </message>
    <message>
        <source>Keep freqdeck&apos;s settings only where the other tool leaves them alone</source>
        <translation>Garder les réglages de freqdeck seulement là où l’autre outil n’y touche pas</translation>
    </message>
    <message>
        <source>freqdeck keeps only the settings that %1 does not manage</source>
        <translation>freqdeck ne garde que les réglages que %1 ne gère pas</translation>
    </message>
    <message>
        <source>Stop for those</source>
        <translation>Les lui laisser</translation>
    </message>
    <message>
        <source>Stop using freqdeck for the settings the other tool manages</source>
        <translation>Cesser d’utiliser freqdeck pour les réglages que gère l’autre outil</translation>
    </message>
    <message>
        <source>freqdeck stops restoring settings while %1 runs</source>
        <translation>freqdeck cesse de restaurer les réglages tant que %1 tourne</translation>
    </message>
    <message>
        <source>Also running: %1</source>
        <translation>Tourne aussi : %1</translation>
    </message>
    <message>
        <source>cpu%1 %2: changed outside freqdeck at %3; freqdeck set %4, it reads %5</source>
        <translation>cpu%1 %2 : modifié hors de freqdeck à %3 ; freqdeck a fixé %4, on lit %5</translation>
    </message>
    <message>
        <source>The choice could not be stored: %1</source>
        <translation>Le choix n’a pas pu être enregistré : %1</translation>
    </message>
</context>
<context>
    <name>LineChart</name>
    <message>
        <source>Frequency of the selected CPUs</source>
        <translation>Fréquence des CPU sélectionnés</translation>
    </message>
    <message>
        <source>%1 s ago</source>
        <translation>il y a %1 s</translation>
    </message>
    <message>
        <source>CPU %1: not sampled</source>
        <translation>CPU %1 : non relevé</translation>
    </message>
    <message>
        <source>CPU %1: %2 MHz</source>
        <translation>CPU %1 : %2 MHz</translation>
    </message>
    <message>
        <source>%1 MHz</source>
        <translation>%1 MHz</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>CPU %1</source>
        <translation>CPU %1</translation>
    </message>
    <message>
        <source>Click CPUs in the map above to draw them here</source>
        <translation>Cliquer sur des CPU dans la carte ci-dessus pour les tracer ici</translation>
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
    <message>
        <source>Frequency of each CPU</source>
        <translation>Fréquence de chaque CPU</translation>
    </message>
    <message>
        <source>Boot Defaults</source>
        <translation>Valeurs de démarrage</translation>
    </message>
    <message>
        <source>Restores the settings the kernel had at boot</source>
        <translation>Restaure les réglages qu’avait le noyau au démarrage</translation>
    </message>
    <message>
        <source>Boot defaults</source>
        <translation>Valeurs de démarrage</translation>
    </message>
    <message>
        <source>The boot defaults cannot be read: %1
The boot unit saves them; until the next boot with it enabled there are none.</source>
        <translation>Les valeurs de démarrage ne peuvent pas être lues : %1
L’unité de démarrage les enregistre ; jusqu’au prochain démarrage avec cette unité activée, il n’y en a aucune.</translation>
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
    <message>
        <source>Pages</source>
        <translation>Pages</translation>
    </message>
    <message>
        <source>Monitor</source>
        <translation>Moniteur</translation>
    </message>
    <message>
        <source>Every CPU&apos;s frequency, utilisation, temperature and power over ten minutes (Ctrl+M)</source>
        <translation>Fréquence, utilisation, température et puissance de chaque CPU sur dix minutes (Ctrl+M)</translation>
    </message>
</context>
<context>
    <name>MonitorView</name>
    <message>
        <source>Frequency</source>
        <translation>Fréquence</translation>
    </message>
    <message>
        <source>Utilisation</source>
        <translation>Utilisation</translation>
    </message>
    <message>
        <source>Colour the map by</source>
        <translation>Colorer la carte selon</translation>
    </message>
    <message>
        <source>Colour by:</source>
        <translation>Colorer selon :</translation>
    </message>
    <message>
        <source>Package %1 °C</source>
        <translation>Boîtier %1 °C</translation>
    </message>
    <message>
        <source>Package temperature unknown</source>
        <translation>Température du boîtier inconnue</translation>
    </message>
    <message>
        <source>%1 W</source>
        <translation>%1 W</translation>
    </message>
    <message>
        <source>power needs root (energy_uj: %1)</source>
        <translation>la puissance exige root (energy_uj : %1)</translation>
    </message>
    <message>
        <source>no power meter (RAPL)</source>
        <translation>pas de compteur de puissance (RAPL)</translation>
    </message>
    <message>
        <source>%1 % busy on average</source>
        <translation>occupé à %1 % en moyenne</translation>
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
    <message>
        <source>Attributes of CPU %1</source>
        <translation>Attributs du CPU %1</translation>
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
    <name>PowerRulesDialog</name>
    <message>
        <source>Power rules</source>
        <translation>Règles d’alimentation</translation>
    </message>
    <message>
        <source>Profile on AC</source>
        <translation>Profil sur secteur</translation>
    </message>
    <message>
        <source>Profile on battery</source>
        <translation>Profil sur batterie</translation>
    </message>
    <message>
        <source>Profile on a low battery</source>
        <translation>Profil sur batterie faible</translation>
    </message>
    <message>
        <source>Low battery below</source>
        <translation>Batterie faible sous</translation>
    </message>
    <message>
        <source> %</source>
        <translation> %</translation>
    </message>
    <message>
        <source>no low-battery rule</source>
        <translation>pas de règle batterie faible</translation>
    </message>
    <message>
        <source>On AC:</source>
        <translation>Sur secteur :</translation>
    </message>
    <message>
        <source>On battery:</source>
        <translation>Sur batterie :</translation>
    </message>
    <message>
        <source>Battery below:</source>
        <translation>Batterie sous :</translation>
    </message>
    <message>
        <source>then:</source>
        <translation>alors :</translation>
    </message>
    <message>
        <source>Apply rule now</source>
        <translation>Appliquer la règle maintenant</translation>
    </message>
    <message>
        <source>freqdeck-power-rules.service applies these at boot, after resume and whenever the power source changes. A profile you pick by hand holds until the next change.</source>
        <translation>freqdeck-power-rules.service les applique au démarrage, après la reprise et à chaque changement de source d’alimentation. Un profil choisi à la main reste en vigueur jusqu’au changement suivant.</translation>
    </message>
    <message>
        <source>(no rule)</source>
        <translation>(aucune règle)</translation>
    </message>
    <message>
        <source>%1 (missing)</source>
        <translation>%1 (manquant)</translation>
    </message>
    <message>
        <source>Now %1. No rule is in force: the rules cannot be used (%2).</source>
        <translation>Maintenant %1. Aucune règle n’est en vigueur : les règles sont inutilisables (%2).</translation>
    </message>
    <message>
        <source>the AC rule</source>
        <translation>la règle secteur</translation>
    </message>
    <message>
        <source>the battery rule</source>
        <translation>la règle batterie</translation>
    </message>
    <message>
        <source>the low-battery rule</source>
        <translation>la règle batterie faible</translation>
    </message>
    <message>
        <source>Now %1: %2 is in force, and names no profile.</source>
        <translation>Maintenant %1 : %2 est en vigueur et ne nomme aucun profil.</translation>
    </message>
    <message>
        <source>Now %1: %2 is in force, with the profile &apos;%3&apos;.</source>
        <translation>Maintenant %1 : %2 est en vigueur, avec le profil « %3 ».</translation>
    </message>
    <message>
        <source>&apos;%1&apos;, picked by hand, holds until the power source changes.</source>
        <translation>« %1 », choisi à la main, reste en vigueur jusqu’au changement de source d’alimentation.</translation>
    </message>
    <message>
        <source>Could not save the rules to %1.

%2</source>
        <translation>Impossible d’enregistrer les règles dans %1.

%2</translation>
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
    <name>UserProfilesPanel</name>
    <message>
        <source>My profiles:</source>
        <translation>Mes profils :</translation>
    </message>
    <message>
        <source>My profiles</source>
        <translation>Mes profils</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Appliquer</translation>
    </message>
    <message>
        <source>Save as…</source>
        <translation>Enregistrer sous…</translation>
    </message>
    <message>
        <source>Save the current settings as a profile of your own</source>
        <translation>Enregistrer les réglages actuels comme profil personnel</translation>
    </message>
    <message>
        <source>More</source>
        <translation>Plus</translation>
    </message>
    <message>
        <source>Rename…</source>
        <translation>Renommer…</translation>
    </message>
    <message>
        <source>Delete…</source>
        <translation>Supprimer…</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>Exporter…</translation>
    </message>
    <message>
        <source>Power rules…</source>
        <translation>Règles d’alimentation…</translation>
    </message>
    <message>
        <source>Which profile to apply on AC, on battery and on a low battery</source>
        <translation>Quel profil appliquer sur secteur, sur batterie et sur batterie faible</translation>
    </message>
    <message>
        <source>none saved yet</source>
        <translation>aucun enregistré pour l’instant</translation>
    </message>
    <message>
        <source>No power rules in use.</source>
        <translation>Aucune règle d’alimentation en usage.</translation>
    </message>
    <message>
        <source>Now %1: &apos;%2&apos;, picked by hand, holds until the power source changes.</source>
        <translation>Maintenant %1 : « %2 », choisi à la main, reste en vigueur jusqu’au changement de source d’alimentation.</translation>
    </message>
    <message>
        <source>Now %1: no rule for this power source.</source>
        <translation>Maintenant %1 : aucune règle pour cette source d’alimentation.</translation>
    </message>
    <message>
        <source>Now %1: the rules give &apos;%2&apos;.</source>
        <translation>Maintenant %1 : les règles donnent « %2 ».</translation>
    </message>
    <message>
        <source>Apply profile</source>
        <translation>Appliquer le profil</translation>
    </message>
    <message>
        <source>Save profile</source>
        <translation>Enregistrer le profil</translation>
    </message>
    <message>
        <source>Rename profile</source>
        <translation>Renommer le profil</translation>
    </message>
    <message>
        <source>Delete profile</source>
        <translation>Supprimer le profil</translation>
    </message>
    <message>
        <source>Export profile</source>
        <translation>Exporter le profil</translation>
    </message>
    <message>
        <source>Save current as</source>
        <translation>Enregistrer l’actuel sous</translation>
    </message>
    <message>
        <source>Name of the profile (at most %1 characters, no &apos;/&apos;, not starting with &apos;.&apos;):</source>
        <translation>Nom du profil (%1 caractères au plus, sans « / », ne commençant pas par « . ») :</translation>
    </message>
    <message>
        <source>Replace the profile &apos;%1&apos;?</source>
        <translation>Remplacer le profil « %1 » ?</translation>
    </message>
    <message>
        <source>New name:</source>
        <translation>Nouveau nom :</translation>
    </message>
    <message>
        <source>Delete the profile &apos;%1&apos;?</source>
        <translation>Supprimer le profil « %1 » ?</translation>
    </message>
    <message>
        <source>Settings files (*.json)</source>
        <translation>Fichiers de réglages (*.json)</translation>
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
