"""The product as a user has it, end to end, in a fresh Wine prefix of its
own: the package installed silently beside the stand-in Notes client, the
connector started as logon starts it with the password typed once, the first
crawl found by a word of an Internet mail's body and one of an attachment,
a result opened through the shell reaching Notes, an attachment reaching its
program (the handler's failure trail saying so where it had to fall back),
and a change and a deletion followed after the connector's "Update Index
Now".

    installed_product_test.py CONFIG.json

CONFIG is written by the build (tests/CMakeLists.txt)."""

import json
import os
import shutil
import subprocess
import sys
import unittest

CONFIG = {}

PASSWORD = 's3cret'
NOTES_DIR = r'C:\Program Files (x86)\IBM\Notes'
DATA_DIR = r'C:\Notes\Data'
MAIL = DATA_DIR + r'\mail\jdoe.nsf'
RUN_COMMAND = r'HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
USER_SETTINGS = r'HKCU\Software\FenwoldInc\BRW'
# The shell's attachment services (CLSID_AttachmentServices); Windows has
# them, Wine 8 does not register them.
ATTACHMENT_SERVICES = r'HKLM\Software\Classes\CLSID\{4125DD96-E03A-4103-8F70-E0597D803B9C}'
# The handler's trail line when it opens an attachment without them: the
# class is not registered (REGDB_E_CLASSNOTREG).
FALLBACK_TRAIL = 'debug output: Open result: attachment services failed 0x80040154'
# Words no generated document has.
MIME_WORD = 'zeppelin'
ATTACHMENT_WORD = 'quetzal'
CHANGED_WORD = 'lighthouse'
# Generous limits for a busy machine; every wait ends as soon as the index
# changes to what is expected.
FIRST_CRAWL_MS = 180000
# The goal is 5 s from "Update Index Now" to the change being searchable;
# that figure is printed, the test only bounds the wait.
PASS_MS = 120000


def windows_path(unix_path):
    """A file of the build trees as Wine shows the root file system."""
    return 'Z:' + unix_path.replace('/', '\\')


class Prefix:
    """A fresh Wine prefix; close() stops its programs and removes it."""

    def __init__(self, root):
        self.root = root
        os.makedirs(os.path.dirname(root), exist_ok=True)
        self.log = open(root + '.log', 'w', encoding='utf-8')
        self.background = []
        self._tool('stop')
        self._tool('fresh')

    def _tool(self, verb):
        subprocess.run([CONFIG['wineprefix_script'], verb, self.root], check=True, stdin=subprocess.DEVNULL,
                       stdout=self.log, stderr=self.log)

    def close(self):
        for process in self.background:
            if process.poll() is None:
                process.kill()
            process.wait()
        self._tool('stop')
        self.log.close()
        if os.path.exists(self.root + '.out'):
            os.remove(self.root + '.out')

    def unix(self, windows_path):
        return os.path.join(self.root, 'drive_c', *windows_path[3:].split('\\'))

    def run(self, *args):
        """A Windows program's exit code and output. The output goes through a
        file: the installer service Wine starts lives on and would hold a
        pipe open."""
        self.log.write('> ' + ' '.join(args) + '\n')
        self.log.flush()
        output_path = self.root + '.out'
        with open(output_path, 'w+b') as output:
            code = subprocess.run([CONFIG['wine_run_script'], self.root] + list(args), stdin=subprocess.DEVNULL,
                                  stdout=output, stderr=self.log).returncode
            output.seek(0)
            text = output.read().decode('utf-8', errors='replace').replace('\r', '')
        self.log.write(text)
        return code, text

    def start(self, *args):
        process = subprocess.Popen([CONFIG['wine_run_script'], self.root] + list(args), stdin=subprocess.DEVNULL,
                                   stdout=self.log, stderr=self.log)
        self.background.append(process)


class InstalledProductTest(unittest.TestCase):

    def setUp(self):
        self.prefix = Prefix(os.path.join(CONFIG['work_dir'], 'installed-product'))
        self.addCleanup(self.prefix.close)

    def ok(self, *args):
        code, text = self.prefix.run(*args)
        self.assertEqual(0, code, f'{" ".join(args)}: {text}')
        return text

    def notesdb(self, *args):
        return self.ok(NOTES_DIR + r'\notesdb.exe', *args)

    def driver(self, *args):
        return self.ok(CONFIG['driver'], *args)

    def install_notes(self):
        """The stand-in client with a password-protected ID, a mail file of
        classic and Internet mail with attachments, one Internet mail given
        MIME_WORD in its body and a memo whose attachment holds
        ATTACHMENT_WORD. Returns the memo's note id."""
        program = self.prefix.unix(NOTES_DIR)
        os.makedirs(program)
        os.makedirs(self.prefix.unix(DATA_DIR + r'\mail'))
        for name in ('nnotes.dll', 'nxrtf.dll', 'notes.exe', 'notesdb.exe'):
            shutil.copyfile(os.path.join(CONFIG['notes_stand_in'], name), os.path.join(program, name))
        self.notesdb('create', DATA_DIR, '--ini', NOTES_DIR + r'\notes.ini', '--user', 'CN=Jane Doe/O=Acme',
                     '--password', PASSWORD, '--mailfile', r'mail\jdoe')
        self.ok('reg', 'add', r'HKLM\SOFTWARE\Lotus\Notes', '/v', 'Path', '/d', NOTES_DIR + '\\', '/f', '/reg:32')
        self.ok('reg', 'add', r'HKLM\Software\Classes\notes\shell\open\command', '/ve', '/d',
                f'"{NOTES_DIR}\\notes.exe" "%1"', '/f')
        # Windows opens text files in Notepad; a fresh Wine prefix has the
        # class but not the extension's link to it.
        self.ok('reg', 'add', r'HKLM\Software\Classes\.txt', '/ve', '/d', 'txtfile', '/f')
        self.notesdb('generate', 'mail', MAIL, '--count', '40', '--seed', '7', '--owner', 'CN=Jane Doe/O=Acme')
        self.notesdb('export', MAIL, r'C:\Notes\mail.dxl')
        subprocess.run([sys.executable, CONFIG['mime_note_script'], self.prefix.unix(r'C:\Notes\mail.dxl'), MIME_WORD,
                        self.prefix.unix(r'C:\Notes\mime.dxl')], check=True, stdout=self.prefix.log,
                       stderr=self.prefix.log)
        self.notesdb('import', r'C:\Notes\mime.dxl', MAIL)
        with open(self.prefix.unix(r'C:\Notes\packing.txt'), 'w', encoding='ascii') as f:
            f.write(f'Bring the {ATTACHMENT_WORD} costume.\r\n')
        added = self.notesdb('add', MAIL, '--form', 'Memo', '--text', 'Subject=Offsite packing list',
                             '--richtext', 'Body=The list is attached.', '--attach', r'C:\Notes\packing.txt')
        return added.split()[0]

    def install_search(self):
        for dll in (CONFIG['search_stand_in_64'], CONFIG['search_stand_in_32']):
            self.ok('regsvr32', '/s', windows_path(dll))
        self.prefix.start(CONFIG['indexer'], '--loop')

    def first_url(self, word):
        results = json.loads(self.ok(CONFIG['query'], '--json', word))['results']
        self.assertEqual(1, len(results), word)
        return results[0]['url']

    def open_attachment_with_trail(self, url):
        """Opens url with the user's DebugConsole setting on, so that the
        handler's failure trail is written; the driver prints what it read of
        it after what was seen."""
        self.ok('reg', 'add', USER_SETTINGS, '/v', 'DebugConsole', '/t', 'REG_DWORD', '/d', '1', '/f')
        try:
            return self.driver('open', url, PASSWORD).splitlines()
        finally:
            self.ok('reg', 'delete', USER_SETTINGS, '/v', 'DebugConsole', '/f')

    def wait_found(self, word, count, limit_ms):
        code, text = self.prefix.run(CONFIG['driver'], 'wait-found', word, str(count), str(limit_ms))
        return code == 0

    def test_installed_package_crawls_opens_and_follows_changes(self):
        memo = self.install_notes()
        self.install_search()
        shutil.copyfile(CONFIG['package'], self.prefix.unix(r'C:\package.msi'))
        self.ok('msiexec', '/i', r'C:\package.msi', '/qn', 'STARTCONNECTOR=0', '/l*v', r'C:\install.log')
        self.assertIn('BRWConnector.exe', self.ok('reg', 'query', RUN_COMMAND, '/v', 'Brimlow Search', '/reg:64'))

        self.assertIn('password', self.driver('logon', PASSWORD))

        # The first crawl: a word only in an Internet mail's body, one only
        # inside an attachment.
        self.assertTrue(self.wait_found(MIME_WORD, 1, FIRST_CRAWL_MS), 'the Internet mail is found')
        self.assertTrue(self.wait_found(ATTACHMENT_WORD, 1, FIRST_CRAWL_MS), 'the attachment is found')
        mime_url = self.first_url(MIME_WORD)
        self.assertRegex(mime_url, r'^brw://\{S-1-5-[0-9-]+\}/mail/jdoe\.nsf/[0-9A-F]{8}$')
        attachment_url = self.first_url(ATTACHMENT_WORD)
        self.assertTrue(attachment_url.endswith('#1#packing.txt'), attachment_url)

        # Opened through the shell as Explorer opens it: Notes is asked for
        # that database and note.
        opened = self.driver('open', mime_url, PASSWORD)
        self.assertTrue(opened.startswith('notes.exe'), opened)
        note = mime_url.rsplit('/', 1)[1]
        with open(self.prefix.unix(DATA_DIR + r'\notes-client.log'), encoding='utf-8') as f:
            self.assertIn(f'open database=mail\\jdoe.nsf note={note}', f.read())
        # The attachment, extracted, reaches the program of its type; without
        # the shell's attachment services it is opened as any file is, and the
        # trail has one line saying so.
        services, _ = self.prefix.run('reg', 'query', ATTACHMENT_SERVICES, '/reg:64')
        opened = self.open_attachment_with_trail(attachment_url)
        self.assertRegex(opened[0], r'^notepad\.exe: .+\.txt - Notepad', opened)
        fallbacks = [line for line in opened if line.startswith(FALLBACK_TRAIL)]
        self.assertEqual([] if services == 0 else [FALLBACK_TRAIL], fallbacks, opened)

        # A change and a deletion, then the connector's own "Update Index
        # Now": the changed memo is found by its new subject and keeps its
        # attachment, the deleted mail is no longer found.
        self.notesdb('modify', MAIL, memo, '--text', f'Subject=Packing for the {CHANGED_WORD} tour')
        self.notesdb('delete', MAIL, note)
        # The crawl's next pass is minutes away: until asked, the index has
        # the memo as it was.
        self.assertTrue(self.wait_found(CHANGED_WORD, 0, 1), 'the change waits for the next pass')
        code, text = self.prefix.run(CONFIG['driver'], 'crawl-now', str(PASS_MS), CHANGED_WORD, '1', MIME_WORD, '0',
                                     ATTACHMENT_WORD, '1')
        self.assertEqual(0, code, text)
        print('[ figures ] Update Index Now to the change searchable: ' + text.splitlines()[-1], flush=True)

        # The search service lets a protocol handler go once its host is
        # idle; the stand-in's host is stopped to the same end, so that the
        # removal finds no file of the package in use.
        self.ok(CONFIG['indexer'], '--stop')
        self.ok('msiexec', '/x', r'C:\package.msi', '/qn', '/l*v', r'C:\remove.log')
        self.assertFalse(os.path.exists(self.prefix.unix(r'C:\Program Files\Brimlow Search')),
                         os.listdir(self.prefix.unix(r'C:\Program Files')))


def main():
    global CONFIG
    with open(sys.argv[1], encoding='utf-8') as f:
        CONFIG = json.load(f)
    suite = unittest.TestSuite([InstalledProductTest('test_installed_package_crawls_opens_and_follows_changes')])
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == '__main__':
    main()
