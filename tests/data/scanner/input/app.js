// Module entry
'use strict';
const list = [1, 2, 3].map(function (n) { return n * 2; });
let ratio = list[0] / list.length / 2;
let pattern = /a\/b[0-9]{2}/g, s = 'it\'s', t = "tab\there";
let u = "\u0041\x42\101\q";
/* block
 * comment */ export default list;
let long = "continued \
line";
if (ratio < 1 && !pattern.test(s)) { throw new Error(`oops ${s}`); }
document.write("<p class=\"x\">" + u + "</p>");
x = a</b>c;
