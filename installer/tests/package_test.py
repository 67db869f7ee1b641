"""The installer package under Wine's msiexec, each case in a fresh prefix:
what it puts on disk and into both registry views, and that nothing of it
is left after removal.

    package_test.py CONFIG.json CASE

CONFIG is written by the build (installer/CMakeLists.txt); CASE names one
test method of PackageTest (e.g. test_install_then_remove)."""

import json
import os
import shutil
import subprocess
import sys
import unittest

import winereg

CONFIG = {}

NOTES_KEY = r'Software\Wow6432Node\Lotus\Notes'
NOTES_DIR = r'C:\Notes'
# What a Notes installation has in its program folder before ours arrives.
NOTES_OWN_FILE = 'nnotes.dll'
PROGRAM_DIR = r'C:\Program Files\Brimlow Search'
NOTES_MODULES = ['BRWConnector.exe', 'BRWData.dll', 'BRWClient.dll', 'BRWHC.exe', 'BRWMon32.dll']
PROGRAM_MODULES = ['BRWHandler.dll', 'BRW.exe']
# The type libraries the monitor and the launcher build when they register.
NOTES_LIBRARIES = ['BRWMon32.tlb']
PROGRAM_LIBRARIES = ['BRW.tlb']
NOTES_FILES = NOTES_MODULES + NOTES_LIBRARIES
PROGRAM_FILES = PROGRAM_MODULES + PROGRAM_LIBRARIES
RUN_KEY = r'HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
# The Windows Search stand-in keeps the catalogue's crawl scope here.
SCOPE_FILE = r'C:\ProgramData\Brimlow Search Stand-in\SystemIndex\scope.txt'
CONNECTOR_WINDOW_CLASS = 'BRWCONNECTOR'
UNINSTALL_KEY = r'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
USER_SETTINGS_KEY = r'HKCU\Software\FenwoldInc\BRW'
# The stand-in Notes client's files, for a connector that really runs.
NOTES_CLIENT_FILES = ['nnotes.dll', 'nxrtf.dll', 'notes.exe', 'notesdb.exe']
# Long enough for a cold start of the connector and its first crawl under
# Wine on a busy machine; the wait ends as soon as the pipe answers.
CONNECTOR_SERVES_MS = 120000

# Keys the installer service keeps for its own bookkeeping (which products
# are installed, their components, the cached package), and keys Wine's own
# processes rewrite whenever they start: neither is the product's.
NOT_THE_PRODUCTS = (
    r'HKLM\Software\Classes\Installer',
    r'HKLM\Software\Microsoft\Windows\CurrentVersion\Installer',
    UNINSTALL_KEY,
    r'HKLM\System',
    r'HKLM\Software\Microsoft\Cryptography',
    r'HKLM\Software\Wine',
    r'HKCU\Software\Wine',
    r'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Perflib',
    r'HKCU\Volatile Environment',
)


def productish(changed):
    return {key: values for key, values in changed.items()
            if not any(key == prefix or key.startswith(prefix + '\\') for prefix in NOT_THE_PRODUCTS)}


class Prefix:
    """A fresh Wine prefix of its own, removed again by close()."""

    def __init__(self, name):
        self.root = os.path.join(CONFIG['work_dir'], name)
        self.log = open(self.root + '.log', 'w', encoding='utf-8')
        self.started = []
        self._tool('fresh')

    def close(self):
        for process in self.started:
            if process.poll() is None:
                process.kill()
            process.wait()
            if process.stdout:
                process.stdout.close()
        self._tool('stop')
        self.log.close()

    def _tool(self, verb):
        subprocess.run([CONFIG['wineprefix_script'], verb, self.root], check=True,
                       stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)

    def wine(self, *args):
        """Runs a Windows program in the prefix; returns its exit code."""
        self.log.write('> ' + ' '.join(args) + '\n')
        self.log.flush()
        return subprocess.run([CONFIG['wine_run_script'], self.root] + list(args),
                              stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log).returncode

    def unix(self, windows_path):
        assert windows_path[1:3] == ':\\'
        return os.path.join(self.root, 'drive_c', *windows_path[3:].split('\\'))

    def put(self, source, windows_path):
        target = self.unix(windows_path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(source, target)

    def registry(self):
        """Both hives as the wineserver saves them when it stops; the next
        program run starts it again."""
        env = dict(os.environ, WINEPREFIX=self.root)
        subprocess.run(['wineserver', '-k'], env=env, stdin=subprocess.DEVNULL,
                       stdout=self.log, stderr=self.log)
        subprocess.run(['wineserver', '-w'], env=env, stdin=subprocess.DEVNULL,
                       stdout=self.log, stderr=self.log)
        keys = {}
        for hive, name in (('HKLM', 'system.reg'), ('HKCU', 'user.reg')):
            with open(os.path.join(self.root, name), encoding='utf-8', errors='replace') as f:
                keys.update(winereg.parse(f.read(), hive))
        return keys

    def install_notes(self):
        """What the package looks for: a Notes client's key in the 32-bit
        view, and its program folder with a file of its own."""
        own = self.unix(NOTES_DIR + '\\' + NOTES_OWN_FILE)
        os.makedirs(os.path.dirname(own), exist_ok=True)
        with open(own, 'wb') as f:
            f.write(b'MZ the Notes client library stands here')
        self.check(self.wine('reg', 'add', r'HKLM\SOFTWARE\Lotus\Notes', '/v', 'Path', '/d', NOTES_DIR + '\\',
                             '/f', '/reg:32'), 'the Notes key')

    def install_search(self):
        """The Windows Search stand-in, each architecture's classes in its
        own registry view, as a machine with Windows Search has them."""
        for bits, dll in (('32', CONFIG['search_stand_in_32']), ('64', CONFIG['search_stand_in_64'])):
            target = rf'C:\SearchStandIn\{bits}\BRWSearchStandIn.dll'
            self.put(dll, target)
            self.check(self.wine('regsvr32', '/s', target), 'registering the Windows Search stand-in')

    def install_notes_client(self):
        """The stand-in Notes client in the Notes folder, with a user ID
        without a password (so that the connector logs on without asking)
        and a small mail file: what a connector needs to run and serve."""
        for name in NOTES_CLIENT_FILES:
            self.put(os.path.join(CONFIG['notes_stand_in'], name), NOTES_DIR + '\\' + name)
        notesdb = NOTES_DIR + r'\notesdb.exe'
        os.makedirs(self.unix(NOTES_DIR + r'\Data\mail'))
        self.check(self.wine(notesdb, 'create', NOTES_DIR + r'\Data', '--ini', NOTES_DIR + r'\notes.ini', '--user',
                             'CN=Jane Doe/O=Acme', '--mailfile', r'mail\jdoe'), 'the Notes user')
        self.check(self.wine(notesdb, 'generate', 'mail', NOTES_DIR + r'\Data\mail\jdoe.nsf', '--count', '3'),
                   'the mail file')
        self.check(self.wine('reg', 'add', r'HKLM\SOFTWARE\Lotus\Notes', '/v', 'Path', '/d', NOTES_DIR + '\\',
                             '/f', '/reg:32'), 'the Notes key')

    def start_indexer(self):
        process = subprocess.Popen([CONFIG['wine_run_script'], self.root, CONFIG['indexer'], '--loop'],
                                   stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)
        self.started.append(process)

    def connector_serves(self, timeout_ms):
        """Asks the demo's driver whether a connector runs with its window
        and an answering pipe: (exit code, what it said). Its output goes
        through a file: the installer service Wine starts lives on and
        would hold a pipe open."""
        output_path = self.root + '.driver'
        with open(output_path, 'w+b') as output:
            code = subprocess.run([CONFIG['wine_run_script'], self.root, CONFIG['driver'], 'connector-serves',
                                   str(timeout_ms)], stdin=subprocess.DEVNULL, stdout=output,
                                  stderr=self.log).returncode
            output.seek(0)
            said = output.read().decode('utf-8', errors='replace').strip()
        os.remove(output_path)
        self.log.write(f'> connector-serves: {code} {said}\n')
        return code, said

    def crawl_roots(self):
        path = self.unix(SCOPE_FILE)
        if not os.path.exists(path):
            return []
        return [line.split('\t')[-1] for line in read_text(path).splitlines() if line.startswith('root\t')]

    def start_connector_window(self):
        """A process with a window of the connector's class, as a running
        connector has; returns once the window exists."""
        self.put(CONFIG['connector_window'], r'C:\ConnectorWindowDouble.exe')
        process = subprocess.Popen([CONFIG['wine_run_script'], self.root, r'C:\ConnectorWindowDouble.exe',
                                    CONNECTOR_WINDOW_CLASS], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                   stderr=self.log, text=True)
        self.started.append(process)
        if process.stdout.readline().strip() != 'ready':
            raise AssertionError('the connector window did not start')
        return process

    def check(self, code, what):
        if code != 0:
            raise AssertionError(f'{what} failed with exit code {code}; see {self.log.name}')

    def msiexec(self, *args, log_name):
        return self.wine('msiexec', *args, '/qn', '/l*v', 'C:\\' + log_name)


def read_text(path):
    """A text file in UTF-16 with its byte-order mark (as Windows writes
    installer logs) or in UTF-8 (Wine's msiexec log, the stand-in's scope)."""
    with open(path, 'rb') as f:
        data = f.read()
    if data.startswith(b'\xff\xfe'):
        return data.decode('utf-16', errors='replace')
    return data.decode('utf-8', errors='replace')


def build_package(version, output):
    """The package of the build, with another version number. wixl carries
    on past what it does not understand, so anything it says fails too."""
    run = subprocess.run([CONFIG['wixl']] + CONFIG['wixl_arguments'] + ['-D', 'Version=' + version, '-o', output],
                         cwd=CONFIG['package_stage'], stdin=subprocess.DEVNULL, capture_output=True, text=True)
    if run.returncode != 0 or run.stderr.strip():
        raise AssertionError(f'wixl failed ({run.returncode}): {run.stderr}')
    return output


class PackageTest(unittest.TestCase):

    def setUp(self):
        self.prefixes = []

    def tearDown(self):
        for prefix in self.prefixes:
            prefix.close()

    def new_prefix(self, name, notes=True, search=False):
        prefix = Prefix(self.id().rsplit('.', 1)[-1] + '.' + name)
        self.prefixes.append(prefix)
        if notes:
            prefix.install_notes()
        if search:
            prefix.install_search()
        return prefix

    def install(self, prefix, package=None, log_name='install.log', start_connector=False):
        """Installs silently; the connector is started only when asked, so
        that no test leaves one running unless it means to."""
        prefix.put(package or CONFIG['package'], r'C:\package.msi')
        switches = [] if start_connector else ['STARTCONNECTOR=0']
        prefix.check(prefix.msiexec('/i', r'C:\package.msi', *switches, log_name=log_name), 'msiexec /i')

    # What is on disk and in the registry views -------------------------

    def assert_installed(self, prefix, registry):
        for name in NOTES_FILES:
            self.assertTrue(os.path.isfile(prefix.unix(NOTES_DIR + '\\' + name)), name)
        for name in PROGRAM_FILES:
            self.assertTrue(os.path.isfile(prefix.unix(PROGRAM_DIR + '\\' + name)), name)
        # The monitor is 32-bit: its class is in the 32-bit view only; the
        # handler's and the launcher's in the 64-bit view only.
        monitor = r'Software\Classes\CLSID\{B0A2B121-FFF6-41A3-A428-F18CA0B035AF}\InprocServer32'
        self.assertEqual('"C:\\\\Notes\\\\BRWMon32.dll"', registry[r'HKLM\Software\Classes\Wow6432Node\CLSID'
                         r'\{B0A2B121-FFF6-41A3-A428-F18CA0B035AF}\InprocServer32'][''])
        self.assertNotIn('HKLM\\' + monitor, registry)
        handler = r'HKLM\Software\Classes\CLSID\{F7FD5BEC-6B4C-4C41-BC6D-318E7567BCEB}\InprocServer32'
        self.assertEqual('"C:\\\\Program Files\\\\Brimlow Search\\\\BRWHandler.dll"', registry[handler][''])
        self.assertNotIn(handler.replace(r'Classes\CLSID', r'Classes\Wow6432Node\CLSID'), registry)
        self.assertEqual('"\\"C:\\\\Program Files\\\\Brimlow Search\\\\BRW.exe\\" \\"%1\\""',
                         registry[r'HKLM\Software\Classes\Brw\shell\open\command'][''])
        self.assertEqual('"BRWHandler.NSFProtocol.1"',
                         registry[r'HKLM\Software\Microsoft\Windows Search\ProtocolHandlers']['brw'])
        # Every logon starts the connector from the Notes folder.
        self.assertEqual('"\\"C:\\\\Notes\\\\BRWConnector.exe\\""', registry[RUN_KEY]['Brimlow Search'])

    def assert_nothing_left(self, prefix, before, after):
        self.assertEqual([NOTES_OWN_FILE], sorted(os.listdir(prefix.unix(NOTES_DIR))))
        self.assertFalse(os.path.exists(prefix.unix(PROGRAM_DIR)))
        changed, _ = winereg.changes(before, after)
        self.assertEqual({}, productish(changed))
        self.assertEqual([], [key for key in after if key.startswith(UNINSTALL_KEY + '\\')
                              and 'Brimlow' in after[key].get('DisplayName', '')])

    def installed_versions(self, registry):
        return sorted(values.get('DisplayVersion') for key, values in registry.items()
                      if key.startswith(UNINSTALL_KEY + '\\') and values.get('DisplayName') == '"Brimlow Search"')

    # The cases ----------------------------------------------------------

    def test_install_then_remove(self):
        prefix = self.new_prefix('prefix', search=True)
        before = prefix.registry()
        self.install(prefix, start_connector=True)
        installed = prefix.registry()
        self.assert_installed(prefix, installed)
        self.assertEqual([f'"{CONFIG["version"]}"'], self.installed_versions(installed))
        # The package is per machine: no user's settings are written.
        changed = productish(winereg.changes(before, installed)[0])
        self.assertEqual([], [key for key in changed if key.startswith('HKCU\\')])
        # The elevated install added the installing user's crawl root, and
        # started the connector for that user.
        self.assertRegex(' '.join(prefix.crawl_roots()), r'^brw://\{S-1-5-[0-9-]+\}/$')
        self.assertRegex(read_text(prefix.unix(r'C:\install.log')), r'Action start [0-9:]+: StartConnector\.')

        connector = prefix.start_connector_window()
        prefix.check(prefix.msiexec('/x', r'C:\package.msi', log_name='remove.log'), 'msiexec /x')
        # Removal asked the running connector to close, and it did.
        self.assertEqual(0, connector.wait(timeout=120))
        self.assertEqual([], prefix.crawl_roots())
        self.assert_nothing_left(prefix, before, prefix.registry())
        self.assertTrue(os.path.getsize(prefix.unix(r'C:\install.log')) > 0)
        self.assertTrue(os.path.getsize(prefix.unix(r'C:\remove.log')) > 0)

    def test_connector_runs_after_install_as_the_user_finds_it(self):
        # Nobody starts it by hand: the install does, for the installing user.
        prefix = self.new_prefix('prefix', notes=False, search=True)
        prefix.install_notes_client()
        prefix.start_indexer()
        self.install(prefix, start_connector=True)
        code, said = prefix.connector_serves(CONNECTOR_SERVES_MS)
        self.assertEqual(0, code, said)
        self.assertIn('its window is there and its pipe answered', said)

        # The search service lets the protocol handler go once its host is
        # idle; the stand-in's host is stopped to the same end.
        prefix.check(prefix.wine(CONFIG['indexer'], '--stop'), 'stopping the indexer')
        prefix.check(prefix.msiexec('/x', r'C:\package.msi', log_name='remove.log'), 'msiexec /x')
        # The removal closed it and waited for it to end.
        self.assertEqual((1, 'the connector is not running'), prefix.connector_serves(1))
        self.assertEqual([], [name for name in NOTES_FILES if os.path.exists(prefix.unix(NOTES_DIR + '\\' + name))])

    def test_connector_is_not_started_when_asked_not_to(self):
        prefix = self.new_prefix('prefix', notes=False)
        prefix.install_notes_client()
        self.install(prefix)
        log = read_text(prefix.unix(r'C:\install.log'))
        self.assertRegex(log, r'Action start [0-9:]+: InstallFinalize\.')
        self.assertNotRegex(log, r'Action start [0-9:]+: StartConnector\.')
        # The install started it asynchronously if at all, before msiexec
        # returned: no connector process now means none was started.
        self.assertEqual((1, 'the connector is not running'), prefix.connector_serves(1))

    def test_repair_restores_a_lost_file_and_value(self):
        prefix = self.new_prefix('prefix')
        before = prefix.registry()
        self.install(prefix)
        os.remove(prefix.unix(PROGRAM_DIR + r'\BRWHandler.dll'))
        prefix.check(prefix.wine('reg', 'delete', r'HKCR\Brw\shell\open\command', '/ve', '/f', '/reg:64'),
                     'deleting the open command')
        # The repair as properties: Wine's msiexec refuses its /f switch
        # (exit code 69) where Windows takes /fam; both take these.
        prefix.check(prefix.msiexec('/i', r'C:\package.msi', 'REINSTALL=ALL', 'REINSTALLMODE=amus',
                                    log_name='repair.log'), 'the repair')
        self.assert_installed(prefix, prefix.registry())

        prefix.check(prefix.msiexec('/x', r'C:\package.msi', log_name='remove.log'), 'msiexec /x')
        self.assert_nothing_left(prefix, before, prefix.registry())

    def test_upgrade_replaces_an_older_version_and_keeps_user_settings(self):
        older = build_package('2.0.0', os.path.join(CONFIG['work_dir'], 'older.msi'))
        self.addCleanup(os.remove, older)
        prefix = self.new_prefix('prefix')
        before = prefix.registry()
        self.install(prefix, older, log_name='older.log')
        self.assertEqual(['"2.0.0"'], self.installed_versions(prefix.registry()))
        prefix.check(prefix.wine('reg', 'add', USER_SETTINGS_KEY, '/v', 'DebugConsole', '/t', 'REG_DWORD',
                                 '/d', '1', '/f'), 'a user setting')

        connector = prefix.start_connector_window()
        self.install(prefix)
        # The upgrade closed the running connector before replacing its files.
        self.assertEqual(0, connector.wait(timeout=120))
        upgraded = prefix.registry()
        self.assertEqual([f'"{CONFIG["version"]}"'], self.installed_versions(upgraded))
        self.assert_installed(prefix, upgraded)
        self.assertEqual('dword:00000001', upgraded[USER_SETTINGS_KEY]['DebugConsole'])

        prefix.check(prefix.msiexec('/x', r'C:\package.msi', log_name='remove.log'), 'msiexec /x')
        after = prefix.registry()
        # The user's settings are the user's: removal leaves them too.
        self.assertEqual('dword:00000001', after[USER_SETTINGS_KEY]['DebugConsole'])
        del after[USER_SETTINGS_KEY]
        self.assert_nothing_left(prefix, before, after)

    def test_refused_without_notes(self):
        prefix = self.new_prefix('prefix', notes=False)
        before = prefix.registry()
        prefix.put(CONFIG['package'], r'C:\package.msi')
        self.assertNotEqual(0, prefix.msiexec('/i', r'C:\package.msi', log_name='install.log'))
        self.assertIn('LaunchConditions', read_text(prefix.unix(r'C:\install.log')))
        # The user is told why. Wine's msiexec neither shows nor logs the
        # launch condition's message under /qn (Windows logs it), so the
        # message is looked for in the package's string pool instead.
        with open(CONFIG['package'], 'rb') as f:
            self.assertIn(b'Brimlow Search needs Lotus Notes, and no Lotus Notes installation was found', f.read())
        self.assertFalse(os.path.exists(prefix.unix(PROGRAM_DIR)))
        self.assertEqual({}, productish(winereg.changes(before, prefix.registry())[0]))

    def test_refused_when_the_notes_folder_is_gone(self):
        # A Notes key left behind by an uninstalled client is no Notes.
        prefix = self.new_prefix('prefix')
        shutil.rmtree(prefix.unix(NOTES_DIR))
        before = prefix.registry()
        prefix.put(CONFIG['package'], r'C:\package.msi')
        self.assertNotEqual(0, prefix.msiexec('/i', r'C:\package.msi', log_name='install.log'))
        self.assertFalse(os.path.exists(prefix.unix(NOTES_DIR)))
        self.assertFalse(os.path.exists(prefix.unix(PROGRAM_DIR)))
        self.assertEqual({}, productish(winereg.changes(before, prefix.registry())[0]))

    def test_an_older_version_does_not_replace_a_newer_one(self):
        older = build_package('2.0.0', os.path.join(CONFIG['work_dir'], 'older-over-newer.msi'))
        self.addCleanup(os.remove, older)
        prefix = self.new_prefix('prefix')
        self.install(prefix)
        prefix.put(older, r'C:\older.msi')
        self.assertNotEqual(0, prefix.msiexec('/i', r'C:\older.msi', 'STARTCONNECTOR=0', log_name='older.log'))
        installed = prefix.registry()
        self.assertEqual([f'"{CONFIG["version"]}"'], self.installed_versions(installed))
        self.assert_installed(prefix, installed)
        with open(CONFIG['package'], 'rb') as f:
            self.assertIn(b'A newer version of Brimlow Search is already installed.', f.read())

    def test_writes_what_the_servers_write_when_they_register(self):
        packaged = self.new_prefix('package')
        packaged_before = packaged.registry()
        self.install(packaged)
        by_package = productish(winereg.changes(packaged_before, packaged.registry())[0])

        registered = self.new_prefix('self')
        for name in NOTES_MODULES:
            registered.put(os.path.join(CONFIG['package_stage'], 'payload', name), NOTES_DIR + '\\' + name)
        for name in PROGRAM_MODULES:
            registered.put(os.path.join(CONFIG['package_stage'], 'payload', name), PROGRAM_DIR + '\\' + name)
        registered_before = registered.registry()
        registered.check(registered.wine('regsvr32', '/s', PROGRAM_DIR + r'\BRWHandler.dll'), 'regsvr32 BRWHandler')
        registered.check(registered.wine('regsvr32', '/s', NOTES_DIR + r'\BRWMon32.dll'), 'regsvr32 BRWMon32')
        registered.check(registered.wine(PROGRAM_DIR + r'\BRW.exe', '/RegServer'), 'BRW /RegServer')
        by_servers = productish(winereg.changes(registered_before, registered.registry())[0])

        # The libraries the servers built are the ones the package carries.
        for folder, names in ((NOTES_DIR, NOTES_LIBRARIES), (PROGRAM_DIR, PROGRAM_LIBRARIES)):
            for name in names:
                with open(registered.unix(folder + '\\' + name), 'rb') as built:
                    with open(packaged.unix(folder + '\\' + name), 'rb') as carried:
                        self.assertEqual(built.read(), carried.read(), name)

        # The Run entry is the package's own; the servers know nothing of it.
        self.assertIn(RUN_KEY, by_package)
        del by_package[RUN_KEY]
        self.assertEqual(sorted(by_servers), sorted(by_package))
        for key in by_servers:
            self.assertEqual(by_servers[key], by_package[key], key)


def main():
    global CONFIG
    with open(sys.argv[1], encoding='utf-8') as f:
        CONFIG = json.load(f)
    os.makedirs(CONFIG['work_dir'], exist_ok=True)
    suite = unittest.TestSuite([PackageTest(sys.argv[2])])
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == '__main__':
    main()
