<?php
// Cart page: prices in yen
declare(strict_types=1);
$items = ['茶' => 480, "tea\x21" => 320]; # ASCII and not
/* totals are
   worked out below */
function total(array $items): int { return array_sum($items); }
$note = <<<HTML
  <b>{$items['茶']} yen</b> for $name\n
  HTML;
$raw = <<<'SQL'
SELECT $x FROM t
SQL;
?>
<!DOCTYPE html>
<ul class="<?= $cls ?> list" <?php if ($big): ?>style="font-size:2em"<?php endif; ?>>
<?php foreach ($items as $k => $v): ?>
  <li><?= htmlspecialchars($k) ?>: <?= $v ?></li>
<?php endforeach ?>
</ul>
<script>
var total = "<?= total($items) ?>"; // <?php echo 1; ?> still a comment
var t = `Sum: ${total} <?= $yen ?>`;
</script>
<style>p::after { content: "<?= $mark ?>"; }</style>
<? echo "short tag ?>" ?> after
<?php
// an unterminated block colours to the end
$s = "open
