<p class="<?= $c ?>"><?php echo 'a'; # x ?>t
