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
