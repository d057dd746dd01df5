<?php
// The landing page of Quarlo Fetchwell. The program posts the machine profile
// here once per start; the page stores the post and answers with the
// deployment settings the program fills its window from. The exchange is
// described in docs/landing-protocol.md.
//
// Drop this file into any PHP host (PHP 8.1 or later with PDO SQLite) at
// /php/landing.php. It is configured by two environment variables; a
// relative path in either is taken against the folder above php/:
//
//   LANDING_DB        the SQLite database the posts go to
//                     (default ../data/landing.sqlite). Put it outside the
//                     web root: a web server hands out any file under it.
//   LANDING_SETTINGS  the settings file (default ../settings.ini).
//
// Replies:
//   200  the post is stored; the body holds the section the post asked for
//   400  the post is malformed and nothing is stored (the body says why)
//   404  the post is stored, but the settings have no section of its name
//   405  not a POST
//   500  the post could not be stored, or the settings file is broken (the
//        reason goes to the server's error log only)
// Every reply is an HTML page in UTF-8.

declare(strict_types=1);

// The program's post is well under 1 KiB and has 23 fields; these caps leave
// ample room for longer values and new fields while refusing bodies that no
// copy of the program sends.
const MAX_BODY_BYTES = 65536;
const MAX_FIELDS = 64;
// The field naming the settings section to answer with. The page cannot
// answer without it, so a post that lacks it is malformed.
const SECTION_FIELD = '_destination_alias';
// The program takes a settings value longer than this as empty.
const MAX_VALUE_CHARS = 8192;

final class MalformedPost extends RuntimeException
{
}

final class BrokenSettings extends RuntimeException
{
}

function send(int $status, string $html, array $headers = []): never
{
    http_response_code($status);
    header_remove('X-Powered-By');
    header('Content-Type: text/html; charset=utf-8');
    header('Content-Length: ' . strlen($html));
    header('Cache-Control: no-store');
    foreach ($headers as $line) {
        header($line);
    }
    echo $html;
    exit;
}

function sendError(int $status, string $message, array $headers = []): never
{
    $text = htmlspecialchars($message, ENT_QUOTES | ENT_SUBSTITUTE, 'UTF-8');
    send($status, "<html><head><meta charset=\"utf-8\"><title>$status</title></head>"
        . "<body><p>$text</p></body></html>\r\n", $headers);
}

function isUtf8(string $text): bool
{
    // PCRE checks the subject in UTF mode: overlong forms, surrogates and
    // truncated sequences all fail.
    return preg_match('//u', $text) === 1;
}

function pathFromEnvironment(string $name, string $default): string
{
    $value = getenv($name);
    if ($value === false || $value === '') {
        $value = (string)($_SERVER[$name] ?? '');
    }
    if ($value === '') {
        $value = $default;
    }
    $absolute = $value[0] === '/' || $value[0] === '\\' || preg_match('/^[A-Za-z]:[\\\\\/]/', $value) === 1;
    return $absolute ? $value : dirname(__DIR__) . '/' . $value;
}

// The media type must be application/x-www-form-urlencoded; a charset, when
// named, must be UTF-8, the only encoding the fields are decoded in.
function isUtf8FormType(string $contentType): bool
{
    $parts = explode(';', $contentType);
    if (strtolower(trim($parts[0])) !== 'application/x-www-form-urlencoded') {
        return false;
    }
    foreach (array_slice($parts, 1) as $parameter) {
        $eq = strpos($parameter, '=');
        $name = strtolower(trim($eq === false ? $parameter : substr($parameter, 0, $eq)));
        if ($name !== 'charset') {
            continue;
        }
        $charset = $eq === false ? '' : trim(trim(substr($parameter, $eq + 1)), '"');
        if (strtolower($charset) !== 'utf-8') {
            return false;
        }
    }
    return true;
}

// The fields of the body, in order, as name => value. The body is read here
// rather than through $_POST, whose parser accepts anything, keeps the last
// of repeated names and turns "a[b]" into arrays.
//
// A well-formed body is what a form encoder produces: pairs name=value
// joined by "&", every pair with a non-empty name and an "="; only printable
// ASCII on the wire, with "%" always followed by two hexadecimal digits;
// names and values UTF-8 once decoded; no name twice.
function parseForm(string $body): array
{
    if ($body === '') {
        throw new MalformedPost('the body is empty');
    }
    if (substr_count($body, '&') + 1 > MAX_FIELDS) {
        throw new MalformedPost('more than ' . MAX_FIELDS . ' fields');
    }
    if (preg_match('/[^\x21-\x7E]/', $body) === 1) {
        throw new MalformedPost('the body holds a byte that must be percent-encoded');
    }
    if (preg_match('/%(?![0-9A-Fa-f]{2})/', $body) === 1) {
        throw new MalformedPost('a "%" is not followed by two hexadecimal digits');
    }
    $fields = [];
    foreach (explode('&', $body) as $index => $pair) {
        $number = $index + 1;
        if ($pair === '') {
            throw new MalformedPost("field $number is empty");
        }
        $eq = strpos($pair, '=');
        if ($eq === false) {
            throw new MalformedPost("field $number has no \"=\"");
        }
        if ($eq === 0) {
            throw new MalformedPost("field $number has no name");
        }
        // urldecode() turns "+" into a space and "%XX" into its byte.
        $name = urldecode(substr($pair, 0, $eq));
        $value = urldecode(substr($pair, $eq + 1));
        if (!isUtf8($name) || !isUtf8($value)) {
            throw new MalformedPost("field $number is not UTF-8");
        }
        if (array_key_exists($name, $fields)) {
            throw new MalformedPost("the field \"$name\" is repeated");
        }
        $fields[$name] = $value;
    }
    return $fields;
}

function storePost(string $database, string $client, array $fields): void
{
    $folder = dirname($database);
    if (!is_dir($folder) && !@mkdir($folder, 0770, true) && !is_dir($folder)) {
        throw new RuntimeException("cannot create the folder $folder");
    }
    $db = new PDO('sqlite:' . $database, null, null, [
        PDO::ATTR_ERRMODE => PDO::ERRMODE_EXCEPTION,
        PDO::ATTR_TIMEOUT => 5,  // seconds to wait while another request writes
    ]);
    $db->exec('CREATE TABLE IF NOT EXISTS landing_posts ('
        . 'received_at TEXT NOT NULL, client TEXT NOT NULL, fields TEXT NOT NULL)');
    // JSON_FORCE_OBJECT: fields named "0", "1"... would otherwise make a list.
    $json = json_encode($fields,
        JSON_FORCE_OBJECT | JSON_UNESCAPED_UNICODE | JSON_UNESCAPED_SLASHES | JSON_THROW_ON_ERROR);
    $insert = $db->prepare('INSERT INTO landing_posts (received_at, client, fields) VALUES (?, ?, ?)');
    $insert->execute([gmdate('Y-m-d\TH:i:s\Z'), $client, $json]);
}

// The section of the settings file named $section (ASCII letters compared
// without case, as the program compares section headers), as
// ['name' => ..., 'entries' => [[key, value], ...]], or null when the file
// has no such section.
//
// The file is UTF-8. A line ends at LF or CR LF. Blank lines and lines whose
// first non-blank character is ";" or "#" are comments. "[Name]" starts a
// section; inside it each line is Key=Value, both trimmed, the value taken
// literally up to the end of the line. As in the program, the first section
// of a name and the first line of a key (compared without case) win.
//
// A value is sent on one line of its own. The program also ends a line at a
// lone CR and its text at a NUL, so a control character left in a value
// could plant a key that the file does not hold: each run of control
// characters (U+0000 to U+001F) is sent as one space. What cannot be sent
// as written is an error of the file: a malformed line, a value holding
// "</BODY>" (it would end the reply's body early) or one longer than the
// program takes.
function readSection(string $path, string $section): ?array
{
    $text = @file_get_contents($path);
    if ($text === false) {
        throw new BrokenSettings("cannot read $path");
    }
    if (str_starts_with($text, "\xEF\xBB\xBF")) {
        $text = substr($text, 3);
    }
    if (!isUtf8($text)) {
        throw new BrokenSettings("$path is not UTF-8");
    }
    $found = null;
    $seen = [];
    foreach (preg_split('/\r?\n/', $text) as $index => $line) {
        $where = "$path line " . ($index + 1);
        $trimmed = trim($line, " \t");
        if ($trimmed === '' || $trimmed[0] === ';' || $trimmed[0] === '#') {
            continue;
        }
        if ($trimmed[0] === '[') {
            if (preg_match('/^\[([A-Za-z0-9_.-]+)\]$/', $trimmed, $match) !== 1) {
                throw new BrokenSettings("$where: a section header is [Name] of letters, digits, _ . -");
            }
            if ($found !== null) {
                break;
            }
            if (strcasecmp($match[1], $section) === 0) {
                $found = ['name' => $match[1], 'entries' => []];
            }
            continue;
        }
        if ($found === null) {
            continue;
        }
        $eq = strpos($line, '=');
        if ($eq === false) {
            throw new BrokenSettings("$where: not Key=Value");
        }
        $key = trim(substr($line, 0, $eq), " \t");
        if (preg_match('/^[A-Za-z0-9_.-]+$/', $key) !== 1) {
            throw new BrokenSettings("$where: a key is made of letters, digits, _ . -");
        }
        $value = trim(preg_replace('/[\x00-\x1F]+/', ' ', substr($line, $eq + 1)), ' ');
        if (stripos($value, '</body>') !== false) {
            throw new BrokenSettings("$where: a value cannot hold </BODY>");
        }
        if (preg_match_all('/./su', $value) > MAX_VALUE_CHARS) {
            throw new BrokenSettings("$where: the value is longer than " . MAX_VALUE_CHARS . ' characters');
        }
        $folded = strtolower($key);
        if (isset($seen[$folded])) {
            continue;
        }
        $seen[$folded] = true;
        $found['entries'][] = [$key, $value];
    }
    return $found;
}

function settingsPage(array $section): string
{
    $lines = ['[' . $section['name'] . ']'];
    foreach ($section['entries'] as [$key, $value]) {
        $lines[] = "$key=$value";
    }
    return "<html><head><meta charset=\"utf-8\"><title>Quarlo</title></head><BODY>\r\n"
        . implode("\r\n", $lines) . "\r\n</BODY></html>\r\n";
}

if (($_SERVER['REQUEST_METHOD'] ?? '') !== 'POST') {
    sendError(405, 'Only POST is answered here.', ['Allow: POST']);
}

try {
    $contentType = (string)($_SERVER['CONTENT_TYPE'] ?? $_SERVER['HTTP_CONTENT_TYPE'] ?? '');
    if (!isUtf8FormType($contentType)) {
        throw new MalformedPost('the body must be application/x-www-form-urlencoded in UTF-8');
    }
    // A body announced as too long is refused before any of it is read.
    $announced = (string)($_SERVER['CONTENT_LENGTH'] ?? '');
    if ($announced !== '' && !ctype_digit($announced)) {
        throw new MalformedPost('the Content-Length is not a number');
    }
    if ($announced !== '' && (strlen($announced) > 12 || (int)$announced > MAX_BODY_BYTES)) {
        throw new MalformedPost('the body is longer than ' . MAX_BODY_BYTES . ' bytes');
    }
    $body = file_get_contents('php://input', false, null, 0, MAX_BODY_BYTES + 1);
    if ($body === false) {
        $body = '';
    }
    if (strlen($body) > MAX_BODY_BYTES) {
        throw new MalformedPost('the body is longer than ' . MAX_BODY_BYTES . ' bytes');
    }
    $fields = parseForm($body);
    $section = (string)($fields[SECTION_FIELD] ?? '');
    if ($section === '') {
        throw new MalformedPost('the field ' . SECTION_FIELD . ' is missing or empty');
    }
} catch (MalformedPost $e) {
    sendError(400, 'Malformed post: ' . $e->getMessage() . '.');
}

try {
    storePost(pathFromEnvironment('LANDING_DB', 'data/landing.sqlite'),
        (string)($_SERVER['REMOTE_ADDR'] ?? ''), $fields);
    $settings = readSection(pathFromEnvironment('LANDING_SETTINGS', 'settings.ini'), $section);
} catch (Throwable $e) {
    error_log('landing.php: ' . get_class($e) . ': ' . $e->getMessage());
    sendError(500, 'The landing page cannot answer now.');
}

if ($settings === null) {
    sendError(404, 'No settings for this destination.');
}
send(200, settingsPage($settings));
