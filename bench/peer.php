<?php
// The PHP peer of the whole-process figures (bench/process.sh): a page script
// as a PHP 8 site would write it with PDO, run as one process per request
// (CGI style) with Debian's php-cli and php-sqlite3. It counts the table,
// reads the page's rows ordered by the key (LIMIT/OFFSET) and writes them as
// an escaped HTML table.
//
//   php bench/peer.php DATABASE TABLE KEY PAGE ROWS     (PAGE from 1, or "last")
if ($argc < 6) {
    fwrite(STDERR, "usage: php peer.php DATABASE TABLE KEY PAGE ROWS\n");
    exit(2);
}
[, $file, $table, $key, $page, $rows] = $argv;
$rows = max(1, (int) $rows);
$quote = fn(string $name): string => '"' . str_replace('"', '""', $name) . '"';

$db = new PDO('sqlite:' . $file, null, null, [PDO::ATTR_ERRMODE => PDO::ERRMODE_EXCEPTION]);
$total = (int) $db->query('SELECT count(*) FROM ' . $quote($table))->fetchColumn();
$pages = max(1, intdiv($total + $rows - 1, $rows));
$page = $page === 'last' ? $pages : min($pages, max(1, (int) $page));

$query = $db->prepare('SELECT * FROM ' . $quote($table) . ' ORDER BY ' . $quote($key)
    . ' LIMIT :rows OFFSET :first');
$query->bindValue(':rows', $rows, PDO::PARAM_INT);
$query->bindValue(':first', ($page - 1) * $rows, PDO::PARAM_INT);
$query->execute();

$h = fn($value): string => htmlspecialchars((string) $value, ENT_QUOTES | ENT_HTML5, 'UTF-8');
$out = "Content-Type: text/html; charset=UTF-8\r\n\r\n<!DOCTYPE html>\n<html><head><meta charset=\"UTF-8\">"
    . '<title>' . $h($table) . "</title></head><body>\n<table>\n<caption>" . $total . ' records, page '
    . $page . ' of ' . $pages . "</caption>\n";
$first = true;
while (($row = $query->fetch(PDO::FETCH_ASSOC)) !== false) {
    if ($first) {
        $out .= '<tr>';
        foreach (array_keys($row) as $name) {
            $out .= '<th>' . $h($name) . '</th>';
        }
        $out .= "</tr>\n";
        $first = false;
    }
    $out .= '<tr>';
    foreach ($row as $value) {
        $out .= '<td>' . ($value === null ? '' : $h($value)) . '</td>';
    }
    $out .= "</tr>\n";
}
$out .= "</table>\n</body></html>\n";
echo $out;
