var x = "a\u0041b" + 'c\'d';
x = /a\/b/g; /* c
d */ return // e
