<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AnsiRefusal</name>
    <message>
        <source>The character %1 (U+%2) cannot be stored: a Kestovar file holds only the characters of Windows-1252.</source>
        <translation>Das Zeichen %1 (U+%2) kann nicht gespeichert werden: Eine Kestovar-Datei enthält nur die Zeichen von Windows-1252.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>A password vault. Opens FILE, or else the data file used last.</source>
        <translation>Ein Kennworttresor. Öffnet FILE oder sonst die zuletzt benutzte Datendatei.</translation>
    </message>
    <message>
        <source>The data file to open (*.kvf).</source>
        <translation>Die zu öffnende Datendatei (*.kvf).</translation>
    </message>
    <message>
        <source>Only one data file can be opened.
</source>
        <translation>Es kann nur eine Datendatei geöffnet werden.
</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>File not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>Invalid filename</source>
        <translation>Ungültiger Dateiname</translation>
    </message>
    <message>
        <source>Too many open files</source>
        <translation>Zu viele offene Dateien</translation>
    </message>
    <message>
        <source>File access denied</source>
        <translation>Dateizugriff verweigert</translation>
    </message>
    <message>
        <source>Read beyond end of file</source>
        <translation>Lesen über das Dateiende hinaus</translation>
    </message>
    <message>
        <source>Disk full</source>
        <translation>Datenträger voll</translation>
    </message>
    <message>
        <source>Invalid numeric input</source>
        <translation>Ungültige numerische Eingabe</translation>
    </message>
    <message>
        <source>Not a file but a device, pipe or socket</source>
        <translation>Keine Datei, sondern ein Gerät, eine Pipe oder ein Socket</translation>
    </message>
    <message>
        <source>The file changed while it was read</source>
        <translation>Die Datei wurde geändert, während sie gelesen wurde</translation>
    </message>
    <message>
        <source>Blowfish: Key must be between 1 and 56 bytes</source>
        <translation>Blowfish: Der Schlüssel muss 1 bis 56 Bytes lang sein</translation>
    </message>
    <message>
        <source>Blowfish: Key not set</source>
        <translation>Blowfish: Kein Schlüssel gesetzt</translation>
    </message>
    <message>
        <source>Blowfish: IV not set</source>
        <translation>Blowfish: Kein Initialisierungsvektor gesetzt</translation>
    </message>
    <message>
        <source>Blowfish: Mode must be CBC for CBCMAC</source>
        <translation>Blowfish: Für CBCMAC muss der Modus CBC sein</translation>
    </message>
    <message>
        <source>Blowfish: Input not valid - too short</source>
        <translation>Blowfish: Ungültige Eingabe – zu kurz</translation>
    </message>
    <message>
        <source>Blowfish: Error converting from Base64 - invalid character</source>
        <translation>Blowfish: Fehler beim Umwandeln aus Base64 – ungültiges Zeichen</translation>
    </message>
    <message>
        <source>No vault is open</source>
        <translation>Es ist kein Tresor geöffnet</translation>
    </message>
    <message>
        <source>The vault is locked; nothing was changed</source>
        <translation>Der Tresor ist gesperrt; es wurde nichts geändert</translation>
    </message>
    <message>
        <source>No account is shown; the change was not stored</source>
        <translation>Es wird kein Konto angezeigt; die Änderung wurde nicht gespeichert</translation>
    </message>
    <message>
        <source>No account is shown; nothing was deleted</source>
        <translation>Es wird kein Konto angezeigt; es wurde nichts gelöscht</translation>
    </message>
    <message>
        <source>The password must have 1 to 48 characters. The data file was not created or changed</source>
        <translation>Das Kennwort muss 1 bis 48 Zeichen haben. Die Datendatei wurde nicht angelegt oder geändert</translation>
    </message>
    <message>
        <source>The passwords were not the same. The data file was not created or changed</source>
        <translation>Die Kennwörter stimmten nicht überein. Die Datendatei wurde nicht angelegt oder geändert</translation>
    </message>
    <message>
        <source>Choose at least one kind of character</source>
        <translation>Wählen Sie mindestens eine Zeichenart</translation>
    </message>
    <message>
        <source>A password has 1 to 48 characters</source>
        <translation>Ein Kennwort hat 1 bis 48 Zeichen</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
    <message>
        <source>I/O error %1</source>
        <translation>Ein-/Ausgabefehler %1</translation>
    </message>
    <message>
        <source>Invalid data type for &apos;%1&apos;</source>
        <translation>Ungültiger Datentyp für „%1“</translation>
    </message>
    <message>
        <source>Failed to set data for &apos;%1&apos;</source>
        <translation>Die Daten für „%1“ konnten nicht gespeichert werden</translation>
    </message>
    <message>
        <source>Character U+%1 cannot be held in Windows-1252</source>
        <translation>Das Zeichen U+%1 ist in Windows-1252 nicht enthalten</translation>
    </message>
    <message>
        <source>List index out of bounds (%1)</source>
        <translation>Listenindex außerhalb des gültigen Bereichs (%1)</translation>
    </message>
    <message>
        <source>A passphrase has 3 to 20 words</source>
        <translation>Eine Passphrase hat 3 bis 20 Wörter</translation>
    </message>
    <message>
        <source>A separator has up to 4 characters, and no letters or digits</source>
        <translation>Ein Trennzeichen hat höchstens 4 Zeichen und keine Buchstaben oder Ziffern</translation>
    </message>
    <message>
        <source>The passphrase word list is missing from the program</source>
        <translation>Die Wortliste für Passphrasen fehlt im Programm</translation>
    </message>
    <message>
        <source>The passphrase word list in the program is damaged</source>
        <translation>Die Wortliste für Passphrasen im Programm ist beschädigt</translation>
    </message>
    <message>
        <source>A one-time key URI starts with otpauth://</source>
        <translation>Die URI eines Einmalschlüssels beginnt mit otpauth://</translation>
    </message>
    <message>
        <source>Only time-based one-time keys (otpauth://totp/) are supported</source>
        <translation>Nur zeitbasierte Einmalschlüssel (otpauth://totp/) werden unterstützt</translation>
    </message>
    <message>
        <source>The one-time key has no secret</source>
        <translation>Der Einmalschlüssel hat kein Geheimnis</translation>
    </message>
    <message>
        <source>The one-time key&apos;s secret is not base32 (the letters A to Z and the digits 2 to 7)</source>
        <translation>Das Geheimnis des Einmalschlüssels ist nicht Base32 (die Buchstaben A bis Z und die Ziffern 2 bis 7)</translation>
    </message>
    <message>
        <source>The one-time key gives one of its parameters twice</source>
        <translation>Der Einmalschlüssel nennt einen seiner Parameter zweimal</translation>
    </message>
    <message>
        <source>The one-time key has a malformed %-escape</source>
        <translation>Der Einmalschlüssel enthält eine fehlerhafte %-Kodierung</translation>
    </message>
    <message>
        <source>The one-time key&apos;s algorithm is not SHA1, SHA256 or SHA512</source>
        <translation>Der Algorithmus des Einmalschlüssels ist nicht SHA1, SHA256 oder SHA512</translation>
    </message>
    <message>
        <source>The one-time key&apos;s digits are not 6, 7 or 8</source>
        <translation>Die Stellenzahl des Einmalschlüssels ist nicht 6, 7 oder 8</translation>
    </message>
    <message>
        <source>The one-time key&apos;s period is not 1 to 86400 seconds</source>
        <translation>Die Gültigkeitsdauer des Einmalschlüssels liegt nicht zwischen 1 und 86400 Sekunden</translation>
    </message>
    <message>
        <source>%1 is being written by another program. Nothing was written</source>
        <translation>%1 wird gerade von einem anderen Programm geschrieben. Es wurde nichts geschrieben</translation>
    </message>
    <message>
        <source>%1 was changed by another program since it was read. Nothing was written</source>
        <translation>%1 wurde seit dem Lesen von einem anderen Programm geändert. Es wurde nichts geschrieben</translation>
    </message>
    <message>
        <source>%1 has LF line ends: it was converted by another program</source>
        <translation>%1 hat LF-Zeilenenden: Die Datei wurde von einem anderen Programm umgewandelt</translation>
    </message>
    <message>
        <source>%1 starts with a UTF-8 byte-order mark: it was converted by another program</source>
        <translation>%1 beginnt mit einer UTF-8-Bytereihenfolgemarke: Die Datei wurde von einem anderen Programm umgewandelt</translation>
    </message>
    <message>
        <source>%1 has LF line ends and starts with a UTF-8 byte-order mark: it was converted by another program</source>
        <translation>%1 hat LF-Zeilenenden und beginnt mit einer UTF-8-Bytereihenfolgemarke: Die Datei wurde von einem anderen Programm umgewandelt</translation>
    </message>
    <message>
        <source>%1 is read-only or may not be written, and is not replaced</source>
        <translation>%1 ist schreibgeschützt oder darf nicht geschrieben werden und wird nicht ersetzt</translation>
    </message>
    <message>
        <source>%1 is a folder, and is not replaced</source>
        <translation>%1 ist ein Ordner und wird nicht ersetzt</translation>
    </message>
    <message>
        <source>%1 is not a file but a device, pipe or socket, and is not replaced</source>
        <translation>%1 ist keine Datei, sondern ein Gerät, eine Pipe oder ein Socket, und wird nicht ersetzt</translation>
    </message>
    <message>
        <source>The undo history no longer matches the vault; it was cleared</source>
        <translation>Der Rückgängig-Verlauf passt nicht mehr zum Tresor; er wurde geleert</translation>
    </message>
</context>
<context>
    <name>StrengthText</name>
    <message>
        <source>weak</source>
        <translation>schwach</translation>
    </message>
    <message>
        <source>good</source>
        <translation>gut</translation>
    </message>
    <message>
        <source>excellent</source>
        <translation>ausgezeichnet</translation>
    </message>
    <message>
        <source>poor</source>
        <translation>sehr schwach</translation>
    </message>
    <message>
        <source>%1 bits, %2</source>
        <translation>%1 Bit, %2</translation>
    </message>
</context>
<context>
    <name>TAccountFinder</name>
    <message>
        <source>Find account</source>
        <translation>Konto suchen</translation>
    </message>
    <message>
        <source>Accounts found</source>
        <translation>Gefundene Konten</translation>
    </message>
    <message>
        <source>login</source>
        <extracomment>Where the find box found an account: &quot;mail — login&quot;.</extracomment>
        <translation>Kennung</translation>
    </message>
    <message>
        <source>web address</source>
        <translation>Webadresse</translation>
    </message>
    <message>
        <source>notes</source>
        <translation>Notizen</translation>
    </message>
    <message>
        <source>In every field (%1)</source>
        <translation>In allen Feldern (%1)</translation>
    </message>
    <message>
        <source>Find in the logins, web addresses and notes too</source>
        <translation>Auch in den Kennungen, Webadressen und Notizen suchen</translation>
    </message>
</context>
<context>
    <name>TQtPlatform</name>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Bestätigen</translation>
    </message>
</context>
<context>
    <name>TfrmAboutKV</name>
    <message>
        <source>Ombrel Ledger
Household accounts, budgets and standing orders in one small window.
https://www.ombrel.example/ledger

Ombrel Tally
Time sheets for freelancers, with weekly and monthly totals ready for invoicing.
https://www.ombrel.example/tally

Ombrel Shelf
A catalogue of your books, records and films, searchable by title, author or borrower.
https://www.ombrel.example/shelf

Ombrel Courier
Letters and labels from your address lists, merged and printed in one go.
https://www.ombrel.example/courier

Every program can be tried free for 30 days. Visit our web site for downloads, updates and support.</source>
        <translation>Ombrel Ledger
Haushaltskonten, Budgets und Daueraufträge in einem kleinen Fenster.
https://www.ombrel.example/ledger

Ombrel Tally
Stundenzettel für Freiberufler, mit Wochen- und Monatssummen fertig für die Rechnung.
https://www.ombrel.example/tally

Ombrel Shelf
Ein Katalog Ihrer Bücher, Schallplatten und Filme, durchsuchbar nach Titel, Autor oder Entleiher.
https://www.ombrel.example/shelf

Ombrel Courier
Briefe und Etiketten aus Ihren Adresslisten, in einem Durchgang zusammengeführt und gedruckt.
https://www.ombrel.example/courier

Jedes Programm können Sie 30 Tage lang kostenlos testen. Besuchen Sie unsere Website für Downloads, Updates und Support.</translation>
    </message>
    <message>
        <source>About Kestovar v%1</source>
        <translation>Über Kestovar v%1</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Your passwords in one small vault, every account enciphered with Blowfish under your master password.</source>
        <translation>Ihre Kennwörter in einem kleinen Tresor, jedes Konto mit Blowfish unter Ihrem Hauptkennwort verschlüsselt.</translation>
    </message>
    <message>
        <source>More programs from Ombrel Inc.</source>
        <translation>Weitere Programme von Ombrel Inc.</translation>
    </message>
    <message>
        <source>Visit our web site</source>
        <translation>Unsere Website besuchen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>TfrmGenerate</name>
    <message>
        <source>Generate password</source>
        <translation>Kennwort erzeugen</translation>
    </message>
    <message>
        <source>&amp;Upper case (A-Z)</source>
        <translation>&amp;Großbuchstaben (A-Z)</translation>
    </message>
    <message>
        <source>&amp;Lower case (a-z)</source>
        <translation>&amp;Kleinbuchstaben (a-z)</translation>
    </message>
    <message>
        <source>&amp;Digits (0-9)</source>
        <translation>&amp;Ziffern (0-9)</translation>
    </message>
    <message>
        <source>&amp;Symbols (!#$...)</source>
        <translation>&amp;Sonderzeichen (!#$...)</translation>
    </message>
    <message>
        <source>&amp;Exclude look-alikes (0 O 1 l I |)</source>
        <translation>Verwechselbare Zeichen &amp;ausschließen (0 O 1 l I |)</translation>
    </message>
    <message>
        <source>New password</source>
        <translation>Neues Kennwort</translation>
    </message>
    <message>
        <source>&amp;Fresh</source>
        <translation>&amp;Neu</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Le&amp;ngth:</source>
        <translation>&amp;Länge:</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>Kenn&amp;wort:</translation>
    </message>
    <message>
        <source>Choose at least one kind of character.</source>
        <translation>Wählen Sie mindestens eine Zeichenart.</translation>
    </message>
    <message>
        <source>Strength: %1 bits</source>
        <translation>Stärke: %1 Bit</translation>
    </message>
    <message>
        <source>&amp;Characters</source>
        <translation>Zeic&amp;hen</translation>
    </message>
    <message>
        <source>A password of characters</source>
        <translation>Ein Kennwort aus Zeichen</translation>
    </message>
    <message>
        <source>&amp;Words</source>
        <translation>Wört&amp;er</translation>
    </message>
    <message>
        <source>A passphrase of words</source>
        <translation>Eine Passphrase aus Wörtern</translation>
    </message>
    <message>
        <source>Number of words</source>
        <translation>Anzahl der Wörter</translation>
    </message>
    <message>
        <source>Separator between the words</source>
        <translation>Trennzeichen zwischen den Wörtern</translation>
    </message>
    <message>
        <source>Hyphen (-)</source>
        <translation>Bindestrich (-)</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Leerzeichen</translation>
    </message>
    <message>
        <source>Full stop (.)</source>
        <translation>Punkt (.)</translation>
    </message>
    <message>
        <source>Underscore (_)</source>
        <translation>Unterstrich (_)</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keines</translation>
    </message>
    <message>
        <source>C&amp;apital at the start of each word</source>
        <translation>Jedes Wort &amp;groß beginnen</translation>
    </message>
    <message>
        <source>Capital at the start of each word</source>
        <translation>Jedes Wort groß beginnen</translation>
    </message>
    <message>
        <source>Add a digi&amp;t after one word</source>
        <translation>Eine Zi&amp;ffer nach einem Wort</translation>
    </message>
    <message>
        <source>Add a digit after one word</source>
        <translation>Eine Ziffer nach einem Wort</translation>
    </message>
    <message>
        <source>Nu&amp;mber of words:</source>
        <translation>&amp;Anzahl der Wörter:</translation>
    </message>
    <message>
        <source>Sepa&amp;rator:</source>
        <translation>&amp;Trennzeichen:</translation>
    </message>
    <message>
        <source>(zxcvbn estimates %1)</source>
        <translation>(zxcvbn schätzt %1)</translation>
    </message>
</context>
<context>
    <name>TfrmHarden</name>
    <message>
        <source>Harden this file</source>
        <translation>Diese Datei härten</translation>
    </message>
    <message>
        <source>The hardened format makes every guess of the master password cost a second of work and half a gigabyte of memory, and detects any line changed, moved or removed outside Kestovar. Versions of Kestovar before it cannot open the file; a copy for them can be saved at any time.

The backup (the file name with .bak), older copies and the history of a sync service keep the vault in the older format, under the password they had.</source>
        <translation>Das gehärtete Format lässt jeden Versuch, das Hauptkennwort zu erraten, eine Sekunde Arbeit und ein halbes Gigabyte Speicher kosten und erkennt jede Zeile, die außerhalb von Kestovar geändert, verschoben oder entfernt wurde. Ältere Versionen von Kestovar können die Datei nicht öffnen; eine Kopie für sie lässt sich jederzeit speichern.

Die Sicherung (der Dateiname mit .bak), ältere Kopien und der Verlauf eines Synchronisierungsdienstes behalten den Tresor im älteren Format, unter dem Kennwort, das sie hatten.</translation>
    </message>
    <message>
        <source>Choose a new master password at the same time</source>
        <translation>Zugleich ein neues Hauptkennwort wählen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>TfrmLogin</name>
    <message>
        <source>Enter password</source>
        <translation>Kennwort eingeben</translation>
    </message>
    <message>
        <source>Please enter the password</source>
        <translation>Bitte geben Sie das Kennwort ein</translation>
    </message>
    <message>
        <source>Enter password:</source>
        <translation>Kennwort:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Anyone who has the file can test guesses fast: use at least 10 random lower-case letters and digits.</source>
        <translation>Wer die Datei hat, kann Kennwörter schnell durchprobieren: Verwenden Sie mindestens 10 zufällige Kleinbuchstaben und Ziffern.</translation>
    </message>
    <message>
        <source>Strength as zxcvbn estimates it: %1</source>
        <translation>Stärke nach der Schätzung von zxcvbn: %1</translation>
    </message>
</context>
<context>
    <name>TfrmMain</name>
    <message>
        <source>Please enter the new password</source>
        <translation>Bitte geben Sie das neue Kennwort ein</translation>
    </message>
    <message>
        <source>Please confirm the new password</source>
        <translation>Bitte bestätigen Sie das neue Kennwort</translation>
    </message>
    <message>
        <source>Password files|*.kvf|All files|*.*</source>
        <extracomment>Descriptions and file name patterns, separated by &quot;|&quot;: translate the descriptions only.</extracomment>
        <translation>Kennwortdateien|*.kvf|Alle Dateien|*.*</translation>
    </message>
    <message>
        <source>Open password file</source>
        <translation>Kennwortdatei öffnen</translation>
    </message>
    <message>
        <source>Save password file</source>
        <translation>Kennwortdatei speichern</translation>
    </message>
    <message>
        <source>New file</source>
        <translation>Neue Datei</translation>
    </message>
    <message>
        <source>Open file</source>
        <translation>Datei öffnen</translation>
    </message>
    <message>
        <source>Save file</source>
        <translation>Datei speichern</translation>
    </message>
    <message>
        <source>Save file as</source>
        <translation>Datei speichern unter</translation>
    </message>
    <message>
        <source>Close file</source>
        <translation>Datei schließen</translation>
    </message>
    <message>
        <source>Add account</source>
        <translation>Konto hinzufügen</translation>
    </message>
    <message>
        <source>Delete account</source>
        <translation>Konto löschen</translation>
    </message>
    <message>
        <source>Change password</source>
        <translation>Kennwort ändern</translation>
    </message>
    <message>
        <source>Ombrel Inc. website</source>
        <translation>Website von Ombrel Inc.</translation>
    </message>
    <message>
        <source>About Kestovar</source>
        <translation>Über Kestovar</translation>
    </message>
    <message>
        <source>Exit Kestovar</source>
        <translation>Kestovar beenden</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Konto</translation>
    </message>
    <message>
        <source>Login ID</source>
        <translation>Kennung</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Kennwort</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notizen</translation>
    </message>
    <message>
        <source>Copy the login ID</source>
        <translation>Kennung kopieren</translation>
    </message>
    <message>
        <source>Copy the password</source>
        <translation>Kennwort kopieren</translation>
    </message>
    <message>
        <source>Generate a password</source>
        <translation>Kennwort erzeugen</translation>
    </message>
    <message>
        <source>%1 copied; cleared in %2 s.</source>
        <translation>%1 kopiert; wird in %2 s gelöscht.</translation>
    </message>
    <message>
        <source>%1 copied.</source>
        <translation>%1 kopiert.</translation>
    </message>
    <message>
        <source>Show the password</source>
        <translation>Kennwort zeigen</translation>
    </message>
    <message>
        <source>Hide the password</source>
        <translation>Kennwort verbergen</translation>
    </message>
    <message>
        <source>Please enter the password to unlock</source>
        <translation>Bitte geben Sie das Kennwort zum Entsperren ein</translation>
    </message>
    <message>
        <source>The password was not correct. Kestovar stays locked</source>
        <translation>Das Kennwort war nicht korrekt. Kestovar bleibt gesperrt</translation>
    </message>
    <message>
        <source>MOD</source>
        <extracomment>The status bar&apos;s short mark of a vault with unsaved changes; at most four letters.</extracomment>
        <translation>ÄND</translation>
    </message>
    <message>
        <source>Data file not found</source>
        <translation>Datendatei nicht gefunden</translation>
    </message>
    <message>
        <source>Please enter the password</source>
        <translation>Bitte geben Sie das Kennwort ein</translation>
    </message>
    <message>
        <source>The password was not correct. The data file was not opened</source>
        <translation>Das Kennwort war nicht korrekt. Die Datendatei wurde nicht geöffnet</translation>
    </message>
    <message>
        <source>No data file</source>
        <translation>Keine Datendatei</translation>
    </message>
    <message numerus="yes">
        <source>%1 and %n more</source>
        <comment>line numbers</comment>
        <translation>
            <numerusform>%1 und %n weitere</numerusform>
            <numerusform>%1 und %n weitere</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n line of the data file could not be read (line %1). It is kept unchanged in the file.</source>
        <translation>
            <numerusform>%n Zeile der Datendatei konnte nicht gelesen werden (Zeile %1). Sie bleibt unverändert in der Datei.</numerusform>
            <numerusform>%n Zeilen der Datendatei konnten nicht gelesen werden (Zeilen %1). Sie bleiben unverändert in der Datei.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n lines of the data file could not be read (lines %1). They are kept unchanged in the file.</source>
        <translation>
            <numerusform>%n Zeile der Datendatei konnte nicht gelesen werden (Zeile %1). Sie bleibt unverändert in der Datei.</numerusform>
            <numerusform>%n Zeilen der Datendatei konnten nicht gelesen werden (Zeilen %1). Sie bleiben unverändert in der Datei.</numerusform>
        </translation>
    </message>
    <message>
        <source>This field cannot be shown whole here. It is kept unchanged and cannot be edited in this window.</source>
        <translation>Dieses Feld kann hier nicht vollständig angezeigt werden. Es bleibt unverändert und kann in diesem Fenster nicht bearbeitet werden.</translation>
    </message>
    <message>
        <source>You have changed your data. Do you want to save your changes?</source>
        <translation>Sie haben Ihre Daten geändert. Möchten Sie die Änderungen speichern?</translation>
    </message>
    <message>
        <source>An account named %1 exists already.</source>
        <translation>Ein Konto namens %1 gibt es bereits.</translation>
    </message>
    <message>
        <source>The data file was changed by another program since it was opened. Do you want to overwrite it?</source>
        <translation>Die Datendatei wurde seit dem Öffnen von einem anderen Programm geändert. Möchten Sie sie überschreiben?</translation>
    </message>
    <message>
        <source>%1 exists already. Do you want to overwrite it?</source>
        <translation>%1 ist bereits vorhanden. Möchten Sie die Datei überschreiben?</translation>
    </message>
    <message>
        <source>Please enter the password of the file to overwrite</source>
        <translation>Bitte geben Sie das Kennwort der zu überschreibenden Datei ein</translation>
    </message>
    <message>
        <source>The password of the file to overwrite was not entered correctly. The file has not been overwritten</source>
        <translation>Das Kennwort der zu überschreibenden Datei wurde nicht korrekt eingegeben. Die Datei wurde nicht überschrieben</translation>
    </message>
    <message>
        <source>Please enter the old password</source>
        <translation>Bitte geben Sie das alte Kennwort ein</translation>
    </message>
    <message>
        <source>The current password was not entered correctly. The password for the data file was not changed.</source>
        <translation>Das aktuelle Kennwort wurde nicht korrekt eingegeben. Das Kennwort der Datendatei wurde nicht geändert.</translation>
    </message>
    <message>
        <source>The backup file %1 could not be made. The password for the data file was not changed.</source>
        <translation>Die Sicherungsdatei %1 konnte nicht angelegt werden. Das Kennwort der Datendatei wurde nicht geändert.</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>Nothing to redo.</source>
        <translation>Nichts zu wiederholen.</translation>
    </message>
    <message>
        <source>Nothing to undo.</source>
        <translation>Nichts rückgängig zu machen.</translation>
    </message>
    <message>
        <source>Add done again.</source>
        <translation>Hinzufügen wiederholt.</translation>
    </message>
    <message>
        <source>Add undone.</source>
        <translation>Hinzufügen rückgängig gemacht.</translation>
    </message>
    <message>
        <source>Delete done again.</source>
        <translation>Löschen wiederholt.</translation>
    </message>
    <message>
        <source>Delete undone.</source>
        <translation>Löschen rückgängig gemacht.</translation>
    </message>
    <message>
        <source>Edit done again.</source>
        <translation>Änderung wiederholt.</translation>
    </message>
    <message>
        <source>Edit undone.</source>
        <translation>Änderung rückgängig gemacht.</translation>
    </message>
    <message numerus="yes">
        <source>%n line of the data file does not decipher whole under the current password and would stay under it, readable only with the old password: %1. Do you want to change the password all the same?</source>
        <translation>
            <numerusform>%n Zeile der Datendatei lässt sich unter dem aktuellen Kennwort nicht vollständig entschlüsseln und bliebe darunter, nur mit dem alten Kennwort lesbar: %1. Möchten Sie das Kennwort trotzdem ändern?</numerusform>
            <numerusform>%n Zeilen der Datendatei lassen sich unter dem aktuellen Kennwort nicht vollständig entschlüsseln und blieben darunter, nur mit dem alten Kennwort lesbar: %1. Möchten Sie das Kennwort trotzdem ändern?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n lines of the data file do not decipher whole under the current password and would stay under it, readable only with the old password: %1. Do you want to change the password all the same?</source>
        <translation>
            <numerusform>%n Zeile der Datendatei lässt sich unter dem aktuellen Kennwort nicht vollständig entschlüsseln und bliebe darunter, nur mit dem alten Kennwort lesbar: %1. Möchten Sie das Kennwort trotzdem ändern?</numerusform>
            <numerusform>%n Zeilen der Datendatei lassen sich unter dem aktuellen Kennwort nicht vollständig entschlüsseln und blieben darunter, nur mit dem alten Kennwort lesbar: %1. Möchten Sie das Kennwort trotzdem ändern?</numerusform>
        </translation>
    </message>
    <message>
        <source>One-time code</source>
        <translation>Einmalcode</translation>
    </message>
    <message>
        <source>No code: the key is not valid</source>
        <extracomment>Beside the notes, when their one-time key is malformed; the tool tip says why.</extracomment>
        <translation>Kein Code: der Schlüssel ist ungültig</translation>
    </message>
    <message numerus="yes">
        <source>%n s left</source>
        <extracomment>Seconds until the one-time code changes.</extracomment>
        <translation>
            <numerusform>noch %n s</numerusform>
            <numerusform>noch %n s</numerusform>
        </translation>
    </message>
    <message>
        <source>One-time code; %1 copies it</source>
        <translation>Einmalcode; %1 kopiert ihn</translation>
    </message>
    <message>
        <source>The notes hold no one-time key.</source>
        <translation>Die Notizen enthalten keinen Einmalschlüssel.</translation>
    </message>
    <message>
        <source>The notes hold no web address.</source>
        <translation>Die Notizen enthalten keine Webadresse.</translation>
    </message>
    <message>
        <source>Web address</source>
        <translation>Webadresse</translation>
    </message>
    <message>
        <source>%1 The password for the data file was not changed.</source>
        <translation>%1 Das Kennwort der Datendatei wurde nicht geändert.</translation>
    </message>
    <message>
        <source>%1 is no longer there. The password for the data file was not changed.</source>
        <translation>%1 ist nicht mehr vorhanden. Das Kennwort der Datendatei wurde nicht geändert.</translation>
    </message>
    <message>
        <source>The backup file could not be made: %1. The password for the data file was not changed.</source>
        <translation>Die Sicherungsdatei konnte nicht angelegt werden: %1. Das Kennwort der Datendatei wurde nicht geändert.</translation>
    </message>
    <message>
        <source>%1. Do you want Kestovar to give it its own form back and open it?</source>
        <translation>%1. Soll Kestovar der Datei ihre eigene Form zurückgeben und sie öffnen?</translation>
    </message>
    <message>
        <source>Changes to %1 that were not saved when Kestovar had to end (%2) are kept in %3. Do you want to take them into the data file? No discards them.</source>
        <translation>Änderungen an %1, die beim erzwungenen Beenden von Kestovar (%2) nicht gespeichert wurden, liegen in %3. Sollen sie in die Datendatei übernommen werden? Nein verwirft sie.</translation>
    </message>
    <message>
        <source>%1 is not under this password. It is kept.</source>
        <translation>%1 ist nicht mit diesem Kennwort geschützt. Die Datei bleibt erhalten.</translation>
    </message>
    <message>
        <source>Save a copy for older versions</source>
        <translation>Kopie für ältere Versionen speichern</translation>
    </message>
    <message>
        <source>The first line of the data file is damaged. The file was not opened, and nothing in it was changed.</source>
        <translation>Die erste Zeile der Datendatei ist beschädigt. Die Datei wurde nicht geöffnet, und nichts darin wurde geändert.</translation>
    </message>
    <message>
        <source>The account&apos;s line in the data file failed its check: it was changed outside Kestovar (line %1). It is kept unchanged in the file and is no longer shown.</source>
        <translation>Die Zeile des Kontos in der Datendatei hat ihre Prüfung nicht bestanden: Sie wurde außerhalb von Kestovar geändert (Zeile %1). Sie bleibt unverändert in der Datei und wird nicht mehr angezeigt.</translation>
    </message>
    <message>
        <source>New hardened file…</source>
        <translation>Neue gehärtete Datei …</translation>
    </message>
    <message>
        <source>Harden this file…</source>
        <translation>Diese Datei härten …</translation>
    </message>
    <message>
        <source>Save a copy for older versions…</source>
        <translation>Kopie für ältere Versionen speichern …</translation>
    </message>
    <message>
        <source>Kestovar — hardened file, not verified</source>
        <translation>Kestovar — gehärtete Datei, nicht bestätigt</translation>
    </message>
    <message>
        <source>Kestovar — hardened file</source>
        <translation>Kestovar — gehärtete Datei</translation>
    </message>
    <message>
        <source>The data file asks for %1 MiB of memory to check the master password, more than half of this computer&apos;s %2 MiB. Nothing was opened or changed.</source>
        <translation>Die Datendatei verlangt %1 MiB Speicher, um das Hauptkennwort zu prüfen, mehr als die Hälfte der %2 MiB dieses Computers. Nichts wurde geöffnet oder geändert.</translation>
    </message>
    <message>
        <source>Deriving the keys from the master password…</source>
        <translation>Die Schlüssel werden aus dem Hauptkennwort abgeleitet …</translation>
    </message>
    <message>
        <source>The data file was changed outside Kestovar, and the file as a whole is not verified. Saving writes a new seal over its lines as they are now. Do you want to save it?</source>
        <translation>Die Datendatei wurde außerhalb von Kestovar geändert, und die Datei als Ganzes ist nicht bestätigt. Beim Speichern wird ein neues Siegel über ihre Zeilen in ihrem jetzigen Zustand geschrieben. Möchten Sie sie speichern?</translation>
    </message>
    <message>
        <source>The data file was changed outside Kestovar: lines were added, removed, reordered, repeated or changed (its first line counts %1 record lines, the file has %2). The accounts whose lines pass their checks are shown, but the file as a whole is not verified.</source>
        <translation>Die Datendatei wurde außerhalb von Kestovar geändert: Zeilen wurden hinzugefügt, entfernt, umgestellt, wiederholt oder geändert (ihre erste Zeile zählt %1 Datensatzzeilen, die Datei hat %2). Die Konten, deren Zeilen ihre Prüfung bestehen, werden angezeigt, aber die Datei als Ganzes ist nicht bestätigt.</translation>
    </message>
    <message>
        <source>The data file was changed outside Kestovar: lines were added, removed, reordered, repeated or changed (its first line&apos;s count of record lines is damaged, the file has %1). The accounts whose lines pass their checks are shown, but the file as a whole is not verified.</source>
        <translation>Die Datendatei wurde außerhalb von Kestovar geändert: Zeilen wurden hinzugefügt, entfernt, umgestellt, wiederholt oder geändert (die Zahl der Datensatzzeilen in ihrer ersten Zeile ist beschädigt, die Datei hat %1). Die Konten, deren Zeilen ihre Prüfung bestehen, werden angezeigt, aber die Datei als Ganzes ist nicht bestätigt.</translation>
    </message>
    <message>
        <source>The data file is in a format that this version of Kestovar cannot read (its first line begins &quot;%1&quot;); it may have been written by a newer version. The file was not opened, and nothing in it was changed.</source>
        <translation>Die Datendatei hat ein Format, das diese Version von Kestovar nicht lesen kann (ihre erste Zeile beginnt mit „%1“); vielleicht hat eine neuere Version sie geschrieben. Die Datei wurde nicht geöffnet, und nichts darin wurde geändert.</translation>
    </message>
    <message>
        <source>The password was not entered correctly. The data file was not hardened.</source>
        <translation>Das Kennwort wurde nicht richtig eingegeben. Die Datendatei wurde nicht gehärtet.</translation>
    </message>
    <message>
        <source>The backup file %1 could not be made. The data file was not hardened.</source>
        <translation>Die Sicherungsdatei %1 konnte nicht angelegt werden. Die Datendatei wurde nicht gehärtet.</translation>
    </message>
    <message>
        <source>The backup file could not be made: %1. The data file was not hardened.</source>
        <translation>Die Sicherungsdatei konnte nicht angelegt werden: %1. Die Datendatei wurde nicht gehärtet.</translation>
    </message>
    <message>
        <source>The data file is hardened, under its new master password. The backup %1, older copies and the history of a sync service still hold the vault in the older format, under the old password.</source>
        <translation>Die Datendatei ist gehärtet, unter ihrem neuen Hauptkennwort. Die Sicherung %1, ältere Kopien und der Verlauf eines Synchronisierungsdienstes enthalten den Tresor weiterhin im älteren Format, unter dem alten Kennwort.</translation>
    </message>
    <message>
        <source>The data file is hardened. The backup %1, older copies and the history of a sync service still hold the vault in the older format, under the same password.</source>
        <translation>Die Datendatei ist gehärtet. Die Sicherung %1, ältere Kopien und der Verlauf eines Synchronisierungsdienstes enthalten den Tresor weiterhin im älteren Format, unter demselben Kennwort.</translation>
    </message>
    <message>
        <source>A copy for older versions of Kestovar is in the older format: anyone who gets it can test master passwords tens of thousands of times faster than with this file. It is written to a new file under the same master password, and this file stays as it is. Do you want to write it?</source>
        <translation>Eine Kopie für ältere Versionen von Kestovar hat das ältere Format: Wer sie bekommt, kann Hauptkennwörter zehntausende Male schneller ausprobieren als mit dieser Datei. Sie wird in eine neue Datei unter demselben Hauptkennwort geschrieben, und diese Datei bleibt, wie sie ist. Möchten Sie sie schreiben?</translation>
    </message>
    <message>
        <source>The copy for older versions goes to another file; %1 stays as it is.</source>
        <translation>Die Kopie für ältere Versionen kommt in eine andere Datei; %1 bleibt, wie sie ist.</translation>
    </message>
    <message numerus="yes">
        <source>%n line of the data file could not be read (line %1), so it cannot go into the copy. Do you want to write the copy without it?</source>
        <translation>
            <numerusform>%n Zeile der Datendatei konnte nicht gelesen werden (Zeile %1) und kann deshalb nicht in die Kopie. Möchten Sie die Kopie ohne sie schreiben?</numerusform>
            <numerusform>%n Zeilen der Datendatei konnten nicht gelesen werden (Zeilen %1) und können deshalb nicht in die Kopie. Möchten Sie die Kopie ohne sie schreiben?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n lines of the data file could not be read (lines %1), so they cannot go into the copy. Do you want to write the copy without them?</source>
        <translation>
            <numerusform>%n Zeile der Datendatei konnte nicht gelesen werden (Zeile %1) und kann deshalb nicht in die Kopie. Möchten Sie die Kopie ohne sie schreiben?</numerusform>
            <numerusform>%n Zeilen der Datendatei konnten nicht gelesen werden (Zeilen %1) und können deshalb nicht in die Kopie. Möchten Sie die Kopie ohne sie schreiben?</numerusform>
        </translation>
    </message>
    <message>
        <source>The copy for older versions was written.</source>
        <translation>Die Kopie für ältere Versionen wurde geschrieben.</translation>
    </message>
    <message>
        <source>Health report</source>
        <translation>Gesundheitsbericht</translation>
    </message>
    <message>
        <source>%1 accounts in %2. No password is shown here; choose an account to show it in the window.</source>
        <translation>%1 Konten in %2. Hier wird kein Kennwort gezeigt; wählen Sie ein Konto, um es im Fenster zu zeigen.</translation>
    </message>
    <message>
        <source>Weak passwords, below %1 bits as zxcvbn estimates them: %2</source>
        <translation>Schwache Kennwörter, unter %1 Bit nach Schätzung von zxcvbn: %2</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Passwords that more than one account uses: %1</source>
        <translation>Kennwörter, die mehr als ein Konto verwendet: %1</translation>
    </message>
    <message>
        <source>%1 accounts share one password</source>
        <translation>%1 Konten teilen ein Kennwort</translation>
    </message>
    <message>
        <source>Empty passwords: %1</source>
        <translation>Leere Kennwörter: %1</translation>
    </message>
    <message>
        <source>Breached passwords: not looked up</source>
        <translation>Kompromittierte Kennwörter: nicht nachgeschlagen</translation>
    </message>
    <message>
        <source>Passwords found in %1: %2</source>
        <translation>In %1 gefundene Kennwörter: %2</translation>
    </message>
    <message>
        <source>%1: seen once</source>
        <translation>%1: einmal gesehen</translation>
    </message>
    <message>
        <source>%1: seen %2 times</source>
        <translation>%1: %2-mal gesehen</translation>
    </message>
    <message>
        <source>Choose the list of breached passwords</source>
        <translation>Liste kompromittierter Kennwörter wählen</translation>
    </message>
    <message>
        <source>Have I Been Pwned SHA-1 list|*.txt|All files|*.*</source>
        <extracomment>Descriptions and file name patterns, separated by &quot;|&quot;: translate the descriptions only.</extracomment>
        <translation>SHA-1-Liste von Have I Been Pwned|*.txt|Alle Dateien|*.*</translation>
    </message>
    <message>
        <source>Import from another password manager</source>
        <translation>Aus einem anderen Kennwortmanager importieren</translation>
    </message>
    <message>
        <source>KeePassXC export (CSV)|*.csv|Firefox passwords (CSV)|*.csv|Chrome, Edge or Brave passwords (CSV)|*.csv|Bitwarden export, not encrypted (JSON)|*.json</source>
        <extracomment>Descriptions and file name patterns, separated by &quot;|&quot;: translate the descriptions only. The entry chosen says which manager wrote the file; keep their order.</extracomment>
        <translation>KeePassXC-Export (CSV)|*.csv|Firefox-Kennwörter (CSV)|*.csv|Chrome-, Edge- oder Brave-Kennwörter (CSV)|*.csv|Bitwarden-Export, unverschlüsselt (JSON)|*.json</translation>
    </message>
    <message>
        <source>Health report…</source>
        <translation>Gesundheitsbericht…</translation>
    </message>
    <message>
        <source>Import from another password manager…</source>
        <translation>Aus einem anderen Kennwortmanager importieren…</translation>
    </message>
    <message>
        <source>Look the passwords up in a list of breached passwords too? The list is the file of SHA-1 hashes that Have I Been Pwned offers for download; nothing is sent anywhere.</source>
        <translation>Die Kennwörter auch in einer Liste kompromittierter Kennwörter nachschlagen? Die Liste ist die Datei der SHA-1-Hashes, die Have I Been Pwned zum Herunterladen anbietet; nichts wird irgendwohin gesendet.</translation>
    </message>
    <message>
        <source>Import from %1</source>
        <translation>Import aus %1</translation>
    </message>
    <message>
        <source>Accounts to add: %1</source>
        <translation>Hinzuzufügende Konten: %1</translation>
    </message>
    <message>
        <source>Renamed, as the vault or the export has the name already: %1</source>
        <translation>Umbenannt, da der Tresor oder der Export den Namen schon hat: %1</translation>
    </message>
    <message>
        <source>%1 (a &quot;;&quot; of its notes becomes a line break)</source>
        <translation>%1 (ein „;“ seiner Notizen wird zum Zeilenumbruch)</translation>
    </message>
    <message>
        <source>%1 (%2) becomes %3</source>
        <translation>%1 (%2) wird zu %3</translation>
    </message>
    <message>
        <source>%1 holds no accounts. Nothing was imported.</source>
        <translation>%1 enthält keine Konten. Nichts wurde importiert.</translation>
    </message>
    <message>
        <source>%1 accounts imported.</source>
        <translation>%1 Konten importiert.</translation>
    </message>
    <message>
        <source>%1 accounts from %2 will be added to this vault, %3 of them renamed. No password is shown here. OK adds them; one Undo takes them all back.</source>
        <translation>%1 Konten aus %2 werden diesem Tresor hinzugefügt, %3 davon umbenannt. Hier wird kein Kennwort gezeigt. OK fügt sie hinzu; ein Rückgängig nimmt sie alle zurück.</translation>
    </message>
</context>
<context>
    <name>TfrmNewAcct</name>
    <message>
        <source>Create new account</source>
        <translation>Neues Konto anlegen</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Konto</translation>
    </message>
    <message>
        <source>Account Name:</source>
        <translation>Kontoname:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>TfrmReport</name>
    <message>
        <source>&amp;Show account</source>
        <translation>Konto &amp;zeigen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
</TS>
