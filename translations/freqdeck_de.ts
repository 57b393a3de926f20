<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AttributeHelp</name>
    <message>
        <source>The online CPUs that share this CPU&apos;s frequency settings.</source>
        <translation>Die eingeschalteten CPUs, die sich die Frequenzeinstellungen dieser CPU teilen.</translation>
    </message>
    <message>
        <source>All CPUs, online or not, that share this CPU&apos;s frequency settings.</source>
        <translation>Alle CPUs, ob eingeschaltet oder nicht, die sich die Frequenzeinstellungen dieser CPU teilen.</translation>
    </message>
    <message>
        <source>The highest frequency the firmware allows at the moment.</source>
        <translation>Die höchste Frequenz, die die Firmware zurzeit zulässt.</translation>
    </message>
    <message>
        <source>The frequency the processor guarantees without turbo.</source>
        <translation>Die Frequenz, die der Prozessor ohne Turbo zusichert.</translation>
    </message>
    <message>
        <source>The frequency the hardware reports running at now.</source>
        <translation>Die Frequenz, mit der die Hardware nach eigener Angabe gerade läuft.</translation>
    </message>
    <message>
        <source>The highest frequency the processor can run at.</source>
        <translation>Die höchste Frequenz, mit der der Prozessor laufen kann.</translation>
    </message>
    <message>
        <source>The lowest frequency the processor can run at.</source>
        <translation>Die niedrigste Frequenz, mit der der Prozessor laufen kann.</translation>
    </message>
    <message>
        <source>How long the processor takes to change from one frequency to another.</source>
        <translation>Wie lange der Prozessor braucht, um von einer Frequenz zu einer anderen zu wechseln.</translation>
    </message>
    <message>
        <source>The energy-performance preferences this processor accepts.</source>
        <translation>Die Energie-Leistungs-Vorgaben, die dieser Prozessor annimmt.</translation>
    </message>
    <message>
        <source>A hint to the processor on how far to trade speed for energy; the performance governor allows only &quot;performance&quot;.</source>
        <translation>Ein Hinweis an den Prozessor, wie weit er Tempo gegen Energie tauschen soll; der Governor performance erlaubt nur „performance“.</translation>
    </message>
    <message>
        <source>The energy-performance bias, from 0 (fastest) to 15 (most frugal).</source>
        <translation>Die Energie-Leistungs-Neigung, von 0 (am schnellsten) bis 15 (am sparsamsten).</translation>
    </message>
    <message>
        <source>Whether the CPU runs; an offline CPU takes no work.</source>
        <translation>Ob die CPU läuft; eine ausgeschaltete CPU übernimmt keine Arbeit.</translation>
    </message>
    <message>
        <source>The frequencies the driver can set, where it offers a fixed list.</source>
        <translation>Die Frequenzen, die der Treiber einstellen kann, wo er eine feste Liste anbietet.</translation>
    </message>
    <message>
        <source>The governors that can be chosen for this CPU.</source>
        <translation>Die Governors, die für diese CPU gewählt werden können.</translation>
    </message>
    <message>
        <source>The frequency the kernel last saw this CPU run at.</source>
        <translation>Die Frequenz, mit der der Kernel diese CPU zuletzt laufen sah.</translation>
    </message>
    <message>
        <source>The driver that sets this CPU&apos;s frequency.</source>
        <translation>Der Treiber, der die Frequenz dieser CPU einstellt.</translation>
    </message>
    <message>
        <source>The governor that picks the frequency between the two limits.</source>
        <translation>Der Governor, der die Frequenz zwischen den beiden Grenzen wählt.</translation>
    </message>
    <message>
        <source>The upper limit: the governor never picks a higher frequency.</source>
        <translation>Die obere Grenze: Der Governor wählt nie eine höhere Frequenz.</translation>
    </message>
    <message>
        <source>The lower limit: the governor never picks a lower frequency.</source>
        <translation>Die untere Grenze: Der Governor wählt nie eine niedrigere Frequenz.</translation>
    </message>
    <message>
        <source>The frequency to run at, chosen by hand; taken only under the userspace governor.</source>
        <translation>Die von Hand gewählte Frequenz; nur unter dem Governor userspace wirksam.</translation>
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
        <translation>%1 Einheit: %2.</translation>
    </message>
</context>
<context>
    <name>CapChainView</name>
    <message>
        <source>Why this frequency</source>
        <translation>Warum diese Frequenz</translation>
    </message>
    <message>
        <source>Ceiling</source>
        <translation>Obergrenze</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>Holds it down</source>
        <translation>Bremst</translation>
    </message>
    <message>
        <source>Ceilings of the frequency</source>
        <translation>Obergrenzen der Frequenz</translation>
    </message>
    <message>
        <source>Held down by %1: %2.</source>
        <translation>Gebremst durch %1: %2.</translation>
    </message>
    <message>
        <source>No single ceiling holds this core down.</source>
        <translation>Keine einzelne Obergrenze bremst diesen Kern.</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>ja</translation>
    </message>
    <message>
        <source>may</source>
        <translation>möglich</translation>
    </message>
</context>
<context>
    <name>CoreNavigator</name>
    <message>
        <source>All</source>
        <translation>Alle</translation>
    </message>
    <message>
        <source>Previous core</source>
        <translation>Voriger Kern</translation>
    </message>
    <message>
        <source>Next core</source>
        <translation>Nächster Kern</translation>
    </message>
    <message>
        <source>Choose a core</source>
        <translation>Kern wählen</translation>
    </message>
    <message>
        <source>Every core with its current frequency</source>
        <translation>Jeder Kern mit seiner aktuellen Frequenz</translation>
    </message>
    <message>
        <source>Go to core…</source>
        <translation>Gehe zu Kern…</translation>
    </message>
    <message>
        <source>Type a core&apos;s number and press Enter</source>
        <translation>Nummer eines Kerns eingeben und Enter drücken</translation>
    </message>
    <message>
        <source>Core %1 · offline</source>
        <translation>Kern %1 · abgeschaltet</translation>
    </message>
    <message>
        <source>Core %1</source>
        <translation>Kern %1</translation>
    </message>
    <message>
        <source>Core %1 · %2 MHz</source>
        <translation>Kern %1 · %2 MHz</translation>
    </message>
    <message>
        <source>Core %1 (%2) · offline</source>
        <translation>Kern %1 (%2) · abgeschaltet</translation>
    </message>
    <message>
        <source>Core %1 (%2) · %3 MHz</source>
        <translation>Kern %1 (%2) · %3 MHz</translation>
    </message>
    <message>
        <source>Core %1 (%2)</source>
        <translation>Kern %1 (%2)</translation>
    </message>
</context>
<context>
    <name>GroupWriter</name>
    <message>
        <source>no CPU of %1 is online; its limits were not written</source>
        <translation>keine CPU von %1 ist eingeschaltet; ihre Grenzen wurden nicht geschrieben</translation>
    </message>
</context>
<context>
    <name>HeatMap</name>
    <message>
        <source>now</source>
        <translation>jetzt</translation>
    </message>
    <message>
        <source>%1 s ago</source>
        <translation>vor %1 s</translation>
    </message>
    <message>
        <source>%1:%2 min ago</source>
        <translation>vor %1:%2 min</translation>
    </message>
    <message>
        <source>Frequency of every CPU over the last ten minutes</source>
        <translation>Frequenz jeder CPU in den letzten zehn Minuten</translation>
    </message>
    <message>
        <source>Utilisation of every CPU over the last ten minutes</source>
        <translation>Auslastung jeder CPU in den letzten zehn Minuten</translation>
    </message>
    <message>
        <source> (read %1 s before)</source>
        <translation> (%1 s zuvor gelesen)</translation>
    </message>
    <message>
        <source>CPU %1, %2</source>
        <translation>CPU %1, %2</translation>
    </message>
    <message>
        <source>frequency not sampled</source>
        <translation>Frequenz nicht erfasst</translation>
    </message>
    <message>
        <source>%1 MHz</source>
        <translation>%1 MHz</translation>
    </message>
    <message>
        <source>utilisation unknown</source>
        <translation>Auslastung unbekannt</translation>
    </message>
    <message>
        <source>%1 % busy</source>
        <translation>%1 % ausgelastet</translation>
    </message>
    <message>
        <source>package %1 °C</source>
        <translation>Package %1 °C</translation>
    </message>
    <message>
        <source>package %1 W</source>
        <translation>Package %1 W</translation>
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
        <translation>Erneut setzen</translation>
    </message>
    <message>
        <source>Writes the values freqdeck set once more</source>
        <translation>Schreibt die von freqdeck gesetzten Werte noch einmal</translation>
    </message>
    <message>
        <source>Keep new values</source>
        <translation>Neue Werte behalten</translation>
    </message>
    <message>
        <source>Takes the values found as freqdeck&apos;s own; the marks go</source>
        <translation>Übernimmt die vorgefundenen Werte als die von freqdeck; die Markierungen verschwinden</translation>
    </message>
    <message>
        <source>1 setting changed outside freqdeck</source>
        <translation>1 Einstellung außerhalb von freqdeck geändert</translation>
    </message>
    <message>
        <source>%1 settings changed outside freqdeck</source>
        <translation>%1 Einstellungen außerhalb von freqdeck geändert</translation>
    </message>
    <message>
        <source>%1 (%2) manages %3</source>
        <translation>%1 (%2) verwaltet %3</translation>
    </message>
    <message>
        <source>Both write the same files; the last writer wins. Choose: keep freqdeck&apos;s settings only where %1 leaves them alone, or stop using freqdeck for those settings. Nothing is disabled or masked either way.</source>
        <translation>Beide schreiben dieselben Dateien; wer zuletzt schreibt, gewinnt. Wählen Sie: die Einstellungen von freqdeck nur dort behalten, wo %1 sie nicht anrührt, oder freqdeck für diese Einstellungen nicht mehr verwenden. In keinem Fall wird etwas deaktiviert oder maskiert.</translation>
    </message>
    <message>
        <source>The restore at boot and resume follows root&apos;s choice: sudo freqdeck-cli tools share|leave</source>
        <translation>Die Wiederherstellung beim Start und nach dem Aufwachen folgt der Wahl von root: sudo freqdeck-cli tools share|leave</translation>
    </message>
    <message>
        <source>Keep where left alone</source>
        <translation>Behalten, wo unberührt</translation>
    </message>
    <message>
        <source>Keep freqdeck&apos;s settings only where the other tool leaves them alone</source>
        <translation>Die Einstellungen von freqdeck nur dort behalten, wo das andere Werkzeug sie nicht anrührt</translation>
    </message>
    <message>
        <source>freqdeck keeps only the settings that %1 does not manage</source>
        <translation>freqdeck behält nur die Einstellungen, die %1 nicht verwaltet</translation>
    </message>
    <message>
        <source>Stop for those</source>
        <translation>Diese abgeben</translation>
    </message>
    <message>
        <source>Stop using freqdeck for the settings the other tool manages</source>
        <translation>freqdeck nicht mehr für die Einstellungen verwenden, die das andere Werkzeug verwaltet</translation>
    </message>
    <message>
        <source>freqdeck stops restoring settings while %1 runs</source>
        <translation>freqdeck stellt keine Einstellungen wieder her, solange %1 läuft</translation>
    </message>
    <message>
        <source>Also running: %1</source>
        <translation>Läuft außerdem: %1</translation>
    </message>
    <message>
        <source>cpu%1 %2: changed outside freqdeck at %3; freqdeck set %4, it reads %5</source>
        <translation>cpu%1 %2: um %3 außerhalb von freqdeck geändert; freqdeck setzte %4, gelesen wird %5</translation>
    </message>
    <message>
        <source>The choice could not be stored: %1</source>
        <translation>Die Wahl konnte nicht gespeichert werden: %1</translation>
    </message>
</context>
<context>
    <name>LineChart</name>
    <message>
        <source>Frequency of the selected CPUs</source>
        <translation>Frequenz der ausgewählten CPUs</translation>
    </message>
    <message>
        <source>%1 s ago</source>
        <translation>vor %1 s</translation>
    </message>
    <message>
        <source>CPU %1: not sampled</source>
        <translation>CPU %1: nicht erfasst</translation>
    </message>
    <message>
        <source>CPU %1: %2 MHz</source>
        <translation>CPU %1: %2 MHz</translation>
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
        <translation>CPUs in der Karte oben anklicken, um sie hier zu zeichnen</translation>
    </message>
</context>
<context>
    <name>MainPage</name>
    <message>
        <source>Profile for all CPUs</source>
        <translation>Profil für alle CPUs</translation>
    </message>
    <message>
        <source>Load Settings</source>
        <translation>Einstellungen laden</translation>
    </message>
    <message>
        <source>Save Settings</source>
        <translation>Einstellungen speichern</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>%1: 1 setting was not applied.</source>
        <translation>%1: 1 Einstellung wurde nicht übernommen.</translation>
    </message>
    <message>
        <source>%1: %2 settings were not applied.</source>
        <translation>%1: %2 Einstellungen wurden nicht übernommen.</translation>
    </message>
    <message>
        <source>Driver: %1

</source>
        <translation>Treiber: %1

</translation>
    </message>
    <message>
        <source>unreadable</source>
        <translation>nicht lesbar</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>Laden</translation>
    </message>
    <message>
        <source>Could not load the settings from %1.

%2</source>
        <translation>Die Einstellungen aus %1 konnten nicht geladen werden.

%2</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Could not save the settings to %1.

%2</source>
        <translation>Die Einstellungen konnten nicht in %1 gespeichert werden.

%2</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 gibt es schon.
Möchten Sie die Datei ersetzen?</translation>
    </message>
    <message>
        <source>%1 MHz</source>
        <translation>%1 MHz</translation>
    </message>
    <message>
        <source>CPUs to apply to</source>
        <translation>CPUs, für die es gilt</translation>
    </message>
    <message>
        <source>Which CPUs the profile and the limits go to</source>
        <translation>Für welche CPUs das Profil und die Grenzen gelten</translation>
    </message>
    <message>
        <source>Profile for the chosen CPUs</source>
        <translation>Profil für die gewählten CPUs</translation>
    </message>
    <message>
        <source> MHz</source>
        <translation> MHz</translation>
    </message>
    <message>
        <source>min </source>
        <translation>min. </translation>
    </message>
    <message>
        <source>Lower frequency limit</source>
        <translation>Untere Frequenzgrenze</translation>
    </message>
    <message>
        <source>max </source>
        <translation>max. </translation>
    </message>
    <message>
        <source>Upper frequency limit</source>
        <translation>Obere Frequenzgrenze</translation>
    </message>
    <message>
        <source>Set limits</source>
        <translation>Grenzen setzen</translation>
    </message>
    <message>
        <source>Writes both limits to the chosen CPUs, once per policy</source>
        <translation>Schreibt beide Grenzen für die gewählten CPUs, einmal je Policy</translation>
    </message>
    <message>
        <source>Writes both limits to every CPU</source>
        <translation>Schreibt beide Grenzen für jede CPU</translation>
    </message>
    <message>
        <source>Limits</source>
        <translation>Grenzen</translation>
    </message>
    <message>
        <source>Limits for %1</source>
        <translation>Grenzen für %1</translation>
    </message>
    <message>
        <source>the lower limit (%1 MHz) is above the upper one (%2 MHz); nothing was written</source>
        <translation>die untere Grenze (%1 MHz) liegt über der oberen (%2 MHz); nichts wurde geschrieben</translation>
    </message>
    <message>
        <source>%1 for %2</source>
        <comment>profile for group</comment>
        <translation>%1 für %2</translation>
    </message>
    <message>
        <source>Frequency of each CPU</source>
        <translation>Frequenz jeder CPU</translation>
    </message>
    <message>
        <source>Boot Defaults</source>
        <translation>Startwerte</translation>
    </message>
    <message>
        <source>Restores the settings the kernel had at boot</source>
        <translation>Stellt die Einstellungen wieder her, die der Kernel beim Start hatte</translation>
    </message>
    <message>
        <source>Boot defaults</source>
        <translation>Startwerte</translation>
    </message>
    <message>
        <source>The boot defaults cannot be read: %1
The boot unit saves them; until the next boot with it enabled there are none.</source>
        <translation>Die Startwerte können nicht gelesen werden: %1
Die Boot-Unit speichert sie; bis zum nächsten Start mit aktivierter Unit gibt es keine.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>All</source>
        <translation>Alle</translation>
    </message>
    <message>
        <source>Core %1</source>
        <translation>Kern %1</translation>
    </message>
    <message>
        <source>Core %1 (%2)</source>
        <translation>Kern %1 (%2)</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>Seiten</translation>
    </message>
    <message>
        <source>Monitor</source>
        <translation>Monitor</translation>
    </message>
    <message>
        <source>Every CPU&apos;s frequency, utilisation, temperature and power over ten minutes (Ctrl+M)</source>
        <translation>Frequenz, Auslastung, Temperatur und Leistungsaufnahme jeder CPU über zehn Minuten (Strg+M)</translation>
    </message>
</context>
<context>
    <name>MonitorView</name>
    <message>
        <source>Frequency</source>
        <translation>Frequenz</translation>
    </message>
    <message>
        <source>Utilisation</source>
        <translation>Auslastung</translation>
    </message>
    <message>
        <source>Colour the map by</source>
        <translation>Karte einfärben nach</translation>
    </message>
    <message>
        <source>Colour by:</source>
        <translation>Färben nach:</translation>
    </message>
    <message>
        <source>Package %1 °C</source>
        <translation>Package %1 °C</translation>
    </message>
    <message>
        <source>Package temperature unknown</source>
        <translation>Package-Temperatur unbekannt</translation>
    </message>
    <message>
        <source>%1 W</source>
        <translation>%1 W</translation>
    </message>
    <message>
        <source>power needs root (energy_uj: %1)</source>
        <translation>Leistung nur für root lesbar (energy_uj: %1)</translation>
    </message>
    <message>
        <source>no power meter (RAPL)</source>
        <translation>kein Leistungsmesser (RAPL)</translation>
    </message>
    <message>
        <source>%1 % busy on average</source>
        <translation>im Mittel %1 % ausgelastet</translation>
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
        <translation>nicht lesbar</translation>
    </message>
    <message>
        <source>Attributes of CPU %1</source>
        <translation>Attribute von CPU %1</translation>
    </message>
</context>
<context>
    <name>PolicyEditorWidget</name>
    <message>
        <source>%1 in %2</source>
        <translation>%1 in %2</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Anwenden</translation>
    </message>
    <message>
        <source>unreadable</source>
        <translation>nicht lesbar</translation>
    </message>
    <message>
        <source>Succeed</source>
        <translation>Erfolgreich</translation>
    </message>
    <message>
        <source>CPU %1</source>
        <translation>CPU %1</translation>
    </message>
    <message>
        <source>CPU %1 online</source>
        <translation>CPU %1 eingeschaltet</translation>
    </message>
    <message>
        <source>%1 succeed, %2 failed.</source>
        <translation>%1 erfolgreich, %2 fehlgeschlagen.</translation>
    </message>
    <message>
        <source>%1 succeed, %2 failed. %3</source>
        <translation>%1 erfolgreich, %2 fehlgeschlagen. %3</translation>
    </message>
    <message>
        <source>unreadable: %1</source>
        <translation>nicht lesbar: %1</translation>
    </message>
    <message>
        <source>a preference from the list, or a raw value from 0 to 255</source>
        <translation>eine Vorgabe aus der Liste oder ein Rohwert von 0 bis 255</translation>
    </message>
    <message>
        <source>0 favours performance, 15 saving power</source>
        <translation>0 bevorzugt Leistung, 15 Energiesparen</translation>
    </message>
</context>
<context>
    <name>PowerRulesDialog</name>
    <message>
        <source>Power rules</source>
        <translation>Energieregeln</translation>
    </message>
    <message>
        <source>Profile on AC</source>
        <translation>Profil am Netz</translation>
    </message>
    <message>
        <source>Profile on battery</source>
        <translation>Profil im Akkubetrieb</translation>
    </message>
    <message>
        <source>Profile on a low battery</source>
        <translation>Profil bei niedrigem Akkustand</translation>
    </message>
    <message>
        <source>Low battery below</source>
        <translation>Niedriger Akkustand unter</translation>
    </message>
    <message>
        <source> %</source>
        <translation> %</translation>
    </message>
    <message>
        <source>no low-battery rule</source>
        <translation>keine Regel für niedrigen Akkustand</translation>
    </message>
    <message>
        <source>On AC:</source>
        <translation>Am Netz:</translation>
    </message>
    <message>
        <source>On battery:</source>
        <translation>Im Akkubetrieb:</translation>
    </message>
    <message>
        <source>Battery below:</source>
        <translation>Akku unter:</translation>
    </message>
    <message>
        <source>then:</source>
        <translation>dann:</translation>
    </message>
    <message>
        <source>Apply rule now</source>
        <translation>Regel jetzt anwenden</translation>
    </message>
    <message>
        <source>freqdeck-power-rules.service applies these at boot, after resume and whenever the power source changes. A profile you pick by hand holds until the next change.</source>
        <translation>freqdeck-power-rules.service wendet diese beim Start, nach dem Aufwachen und bei jedem Wechsel der Stromquelle an. Ein von Hand gewähltes Profil gilt bis zum nächsten Wechsel.</translation>
    </message>
    <message>
        <source>(no rule)</source>
        <translation>(keine Regel)</translation>
    </message>
    <message>
        <source>%1 (missing)</source>
        <translation>%1 (fehlt)</translation>
    </message>
    <message>
        <source>Now %1. No rule is in force: the rules cannot be used (%2).</source>
        <translation>Jetzt %1. Keine Regel gilt: Die Regeln können nicht verwendet werden (%2).</translation>
    </message>
    <message>
        <source>the AC rule</source>
        <translation>die Netzregel</translation>
    </message>
    <message>
        <source>the battery rule</source>
        <translation>die Akkuregel</translation>
    </message>
    <message>
        <source>the low-battery rule</source>
        <translation>die Regel für niedrigen Akkustand</translation>
    </message>
    <message>
        <source>Now %1: %2 is in force, and names no profile.</source>
        <translation>Jetzt %1: %2 gilt und nennt kein Profil.</translation>
    </message>
    <message>
        <source>Now %1: %2 is in force, with the profile &apos;%3&apos;.</source>
        <translation>Jetzt %1: %2 gilt, mit dem Profil „%3“.</translation>
    </message>
    <message>
        <source>&apos;%1&apos;, picked by hand, holds until the power source changes.</source>
        <translation>„%1“, von Hand gewählt, gilt bis zum Wechsel der Stromquelle.</translation>
    </message>
    <message>
        <source>Could not save the rules to %1.

%2</source>
        <translation>Die Regeln konnten nicht in %1 gespeichert werden.

%2</translation>
    </message>
</context>
<context>
    <name>ProcessorPanel</name>
    <message>
        <source>on</source>
        <translation>an</translation>
    </message>
    <message>
        <source>Boost</source>
        <translation>Boost</translation>
    </message>
    <message>
        <source>cpufreq/boost or intel_pstate/no_turbo</source>
        <translation>cpufreq/boost oder intel_pstate/no_turbo</translation>
    </message>
    <message>
        <source>Driver mode</source>
        <translation>Treibermodus</translation>
    </message>
    <message>
        <source>intel_pstate/status or amd_pstate/status</source>
        <translation>intel_pstate/status oder amd_pstate/status</translation>
    </message>
    <message>
        <source>Max performance</source>
        <translation>Höchstleistung</translation>
    </message>
    <message>
        <source>Min performance</source>
        <translation>Mindestleistung</translation>
    </message>
    <message>
        <source>Dynamic boost</source>
        <translation>Dynamischer Boost</translation>
    </message>
    <message>
        <source>Preferred cores</source>
        <translation>Bevorzugte Kerne</translation>
    </message>
    <message>
        <source>amd_pstate/prefcore; ranking: cpufreq/amd_pstate_prefcore_ranking</source>
        <translation>amd_pstate/prefcore; Rangfolge: cpufreq/amd_pstate_prefcore_ranking</translation>
    </message>
    <message>
        <source>off</source>
        <translation>aus</translation>
    </message>
    <message>
        <source>; ranking</source>
        <translation>; Rangfolge</translation>
    </message>
    <message>
        <source>Processor</source>
        <translation>Prozessor</translation>
    </message>
    <message>
        <source>Switching the driver to %1 mode resets every core&apos;s governor, limits and energy preference, and the new mode may lack some of them.

Switch now?</source>
        <translation>Der Wechsel des Treibers in den Modus %1 setzt Governor, Grenzen und Energievorgabe jedes Kerns zurück, und dem neuen Modus fehlen vielleicht einige davon.

Jetzt wechseln?</translation>
    </message>
    <message>
        <source>The driver is in %1 mode now, with its default settings.

Apply the settings the cores had before the switch?</source>
        <translation>Der Treiber ist jetzt im Modus %1, mit seinen Standardeinstellungen.

Die Einstellungen der Kerne von vor dem Wechsel anwenden?</translation>
    </message>
    <message>
        <source>%1 mode</source>
        <translation>Modus %1</translation>
    </message>
</context>
<context>
    <name>Profile</name>
    <message>
        <source>Performance</source>
        <translation>Leistung</translation>
    </message>
    <message>
        <source>Governor performance; limits from the lowest to the highest frequency.</source>
        <translation>Governor performance; Grenzen von der niedrigsten bis zur höchsten Frequenz.</translation>
    </message>
    <message>
        <source>Fast</source>
        <translation>Schnell</translation>
    </message>
    <message>
        <source>Governor performance; upper limit near two thirds of the highest frequency.</source>
        <translation>Governor performance; obere Grenze bei etwa zwei Dritteln der höchsten Frequenz.</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Governor unchanged; upper limit near half the highest frequency.</source>
        <translation>Governor unverändert; obere Grenze bei etwa der Hälfte der höchsten Frequenz.</translation>
    </message>
    <message>
        <source>Slow</source>
        <translation>Langsam</translation>
    </message>
    <message>
        <source>Governor unchanged; upper limit near a third of the highest frequency.</source>
        <translation>Governor unverändert; obere Grenze bei etwa einem Drittel der höchsten Frequenz.</translation>
    </message>
    <message>
        <source>Powersave</source>
        <translation>Stromsparen</translation>
    </message>
    <message>
        <source>Governor powersave; both limits at the lowest frequency.</source>
        <translation>Governor powersave; beide Grenzen auf der niedrigsten Frequenz.</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>Eigene</translation>
    </message>
    <message>
        <source>Brings every core online and changes nothing else.</source>
        <translation>Schaltet jeden Kern ein und ändert sonst nichts.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>unreadable (%1)</source>
        <translation>nicht lesbar (%1)</translation>
    </message>
</context>
<context>
    <name>TopologyText</name>
    <message>
        <source>P-cores</source>
        <translation>P-Kerne</translation>
    </message>
    <message>
        <source>E-cores</source>
        <translation>E-Kerne</translation>
    </message>
    <message>
        <source>Cores of capacity %1</source>
        <translation>Kerne der Kapazität %1</translation>
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
        <translation>Kap. %1</translation>
    </message>
    <message>
        <source>Policy %1, shared by CPUs %2</source>
        <translation>Policy %1, geteilt von den CPUs %2</translation>
    </message>
    <message>
        <source>A change here applies to all of them.</source>
        <translation>Eine Änderung hier gilt für sie alle.</translation>
    </message>
    <message>
        <source>Performance core</source>
        <translation>Leistungskern</translation>
    </message>
    <message>
        <source>Efficient core</source>
        <translation>Effizienzkern</translation>
    </message>
    <message>
        <source>Core of capacity %1</source>
        <translation>Kern der Kapazität %1</translation>
    </message>
    <message>
        <source>%1 · policy %2, shared by CPUs %3</source>
        <translation>%1 · Policy %2, geteilt von den CPUs %3</translation>
    </message>
    <message>
        <source>%1 · policy %2 (CPUs %3)</source>
        <translation>%1 · Policy %2 (CPUs %3)</translation>
    </message>
    <message>
        <source>Policy %1 (CPUs %2)</source>
        <translation>Policy %1 (CPUs %2)</translation>
    </message>
    <message>
        <source>%1 (CPUs %2)</source>
        <translation>%1 (CPUs %2)</translation>
    </message>
    <message>
        <source>Other CPUs (%1)</source>
        <translation>Andere CPUs (%1)</translation>
    </message>
    <message>
        <source>All CPUs</source>
        <translation>Alle CPUs</translation>
    </message>
</context>
<context>
    <name>UserProfilesPanel</name>
    <message>
        <source>My profiles:</source>
        <translation>Meine Profile:</translation>
    </message>
    <message>
        <source>My profiles</source>
        <translation>Meine Profile</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Anwenden</translation>
    </message>
    <message>
        <source>Save as…</source>
        <translation>Speichern unter…</translation>
    </message>
    <message>
        <source>Save the current settings as a profile of your own</source>
        <translation>Die aktuellen Einstellungen als eigenes Profil speichern</translation>
    </message>
    <message>
        <source>More</source>
        <translation>Mehr</translation>
    </message>
    <message>
        <source>Rename…</source>
        <translation>Umbenennen…</translation>
    </message>
    <message>
        <source>Delete…</source>
        <translation>Löschen…</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>Exportieren…</translation>
    </message>
    <message>
        <source>Power rules…</source>
        <translation>Energieregeln…</translation>
    </message>
    <message>
        <source>Which profile to apply on AC, on battery and on a low battery</source>
        <translation>Welches Profil am Netz, im Akkubetrieb und bei niedrigem Akkustand gilt</translation>
    </message>
    <message>
        <source>none saved yet</source>
        <translation>noch keine gespeichert</translation>
    </message>
    <message>
        <source>No power rules in use.</source>
        <translation>Keine Energieregeln in Gebrauch.</translation>
    </message>
    <message>
        <source>Now %1: &apos;%2&apos;, picked by hand, holds until the power source changes.</source>
        <translation>Jetzt %1: „%2“, von Hand gewählt, gilt bis zum Wechsel der Stromquelle.</translation>
    </message>
    <message>
        <source>Now %1: no rule for this power source.</source>
        <translation>Jetzt %1: keine Regel für diese Stromquelle.</translation>
    </message>
    <message>
        <source>Now %1: the rules give &apos;%2&apos;.</source>
        <translation>Jetzt %1: Die Regeln ergeben „%2“.</translation>
    </message>
    <message>
        <source>Apply profile</source>
        <translation>Profil anwenden</translation>
    </message>
    <message>
        <source>Save profile</source>
        <translation>Profil speichern</translation>
    </message>
    <message>
        <source>Rename profile</source>
        <translation>Profil umbenennen</translation>
    </message>
    <message>
        <source>Delete profile</source>
        <translation>Profil löschen</translation>
    </message>
    <message>
        <source>Export profile</source>
        <translation>Profil exportieren</translation>
    </message>
    <message>
        <source>Save current as</source>
        <translation>Aktuelles speichern als</translation>
    </message>
    <message>
        <source>Name of the profile (at most %1 characters, no &apos;/&apos;, not starting with &apos;.&apos;):</source>
        <translation>Name des Profils (höchstens %1 Zeichen, kein „/“, nicht mit „.“ beginnend):</translation>
    </message>
    <message>
        <source>Replace the profile &apos;%1&apos;?</source>
        <translation>Das Profil „%1“ ersetzen?</translation>
    </message>
    <message>
        <source>New name:</source>
        <translation>Neuer Name:</translation>
    </message>
    <message>
        <source>Delete the profile &apos;%1&apos;?</source>
        <translation>Das Profil „%1“ löschen?</translation>
    </message>
    <message>
        <source>Settings files (*.json)</source>
        <translation>Einstellungsdateien (*.json)</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Run it as root user</source>
        <translation>Bitte als Benutzer root starten</translation>
    </message>
    <message>
        <source>freqdeck %1</source>
        <translation>freqdeck %1</translation>
    </message>
</context>
</TS>
