# SPDX-License-Identifier: GPL-3.0-or-later
# fish completion for freqdeck-cli: its commands and options, the profile names, and file names for
# save and load.

set -l commands show status profile save load defaults tools boost mode set why profiles save-profile apply rename-profile delete-profile export-profile power-rules
complete -c freqdeck-cli -f
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands" -s h -l help -d 'Print the usage and a summary of the commands'
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands" -l version -d 'Print the version'
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands" -l json -d 'show prints JSON'
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands" -a show -d "Show every CPU's settings"
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands; and not __fish_seen_argument -l json" -a profile -d 'Apply a profile to every CPU'
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands; and not __fish_seen_argument -l json" -a save -d 'Save the writable settings to a file'
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands; and not __fish_seen_argument -l json" -a load -d 'Apply a saved settings file'
complete -c freqdeck-cli -n "__fish_seen_subcommand_from profile; and test (count (commandline -opc)) -lt 3" -a 'performance fast normal slow powersave custom' -d Profile
complete -c freqdeck-cli -n "__fish_seen_subcommand_from save load; and test (count (commandline -opc)) -lt 3" -F
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands; and not __fish_seen_argument -l json" -a boost -d 'Switch turbo of the whole processor'
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands; and not __fish_seen_argument -l json" -a mode -d 'Switch the operation mode of intel_pstate or amd-pstate'
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands; and not __fish_seen_argument -l json" -a set -d 'Write one attribute of every CPU or of those --cpu names'
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands" -a why -d 'Name what holds a CPU below its maximum frequency'
complete -c freqdeck-cli -n "__fish_seen_subcommand_from show" -l watch -d 'Repeat every SECONDS (default 1) with utilisation'
complete -c freqdeck-cli -n "__fish_seen_subcommand_from boost" -a 'on off' -d State
complete -c freqdeck-cli -n "__fish_seen_subcommand_from mode" -a 'active guided passive' -d Mode
complete -c freqdeck-cli -n "__fish_seen_subcommand_from mode" -l reapply -d 'Write the settings from before the switch again'
complete -c freqdeck-cli -n "__fish_seen_subcommand_from set" -l cpu -r -a 'all p-cores e-cores' -d 'Only these CPUs (0-3,8, all, p-cores, e-cores or policyN)'
complete -c freqdeck-cli -n "__fish_seen_subcommand_from load" -l trusted-only -d 'Load only a file that root alone can have written'
complete -c freqdeck-cli -n "__fish_seen_subcommand_from load" -l save-defaults -d "Save the kernel's settings as the boot defaults first"
complete -c freqdeck-cli -n "__fish_seen_subcommand_from load defaults" -l verbose -d 'One line per attribute checked'
complete -c freqdeck-cli -n "__fish_seen_subcommand_from load defaults" -l settle-ms -r -d 'Wait this long before the second read'
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands" -a status -d 'What changed outside freqdeck, and other power tools'
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands; and not __fish_seen_argument -l json" -a defaults -d "Restore the kernel's settings from boot"
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands; and not __fish_seen_argument -l json" -a tools -d 'What load does while another power tool runs'
complete -c freqdeck-cli -n "__fish_seen_subcommand_from tools" -a 'share leave undecided' -d Choice
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands" -l config-dir -r -d 'Profiles and power rules in this directory'
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands" -l state-dir -r -d 'The manual choice in this directory'
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands; and not __fish_seen_argument -l json" -a profiles -d 'List your own profiles'
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands; and not __fish_seen_argument -l json" -a save-profile -d 'Save the settings as your own profile'
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands; and not __fish_seen_argument -l json" -a apply -d 'Apply a fixed or own profile'
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands; and not __fish_seen_argument -l json" -a rename-profile -d 'Rename an own profile'
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands; and not __fish_seen_argument -l json" -a delete-profile -d 'Delete an own profile'
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands; and not __fish_seen_argument -l json" -a export-profile -d 'Copy an own profile to a settings file'
complete -c freqdeck-cli -n "not __fish_seen_subcommand_from $commands; and not __fish_seen_argument -l json" -a power-rules -d 'Show, apply, watch or set the rules by power source'
complete -c freqdeck-cli -n "__fish_seen_subcommand_from apply; and test (count (commandline -opc)) -lt 3" -a 'performance fast normal slow powersave custom (freqdeck-cli profiles 2>/dev/null)' -d Profile
complete -c freqdeck-cli -n "__fish_seen_subcommand_from rename-profile delete-profile export-profile; and test (count (commandline -opc)) -lt 3" -a '(freqdeck-cli profiles 2>/dev/null)' -d Profile
complete -c freqdeck-cli -n "__fish_seen_subcommand_from power-rules; and test (count (commandline -opc)) -lt 3" -a 'show apply watch set'
