// Module with template literals
export const row = (cells) => `<tr>${cells.map(c => `<td class="${c.cls}">${c.text}</td>`).join('')}</tr>`;
const multi = `first line
second ${ {a: '}'}.a } line`;
const re = /a\/b/g; // after
