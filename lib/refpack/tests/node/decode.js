// Decodes a RefPack (10FB) file with the independent qfs-compression package.
//   node decode.js <stream file> <output file>
'use strict';
const fs = require('fs');
const { decompress } = require('qfs-compression');

if (process.argv.length !== 4) {
    console.error('usage: node decode.js <stream file> <output file>');
    process.exit(2);
}
const stream = fs.readFileSync(process.argv[2]);
fs.writeFileSync(process.argv[3], decompress(stream));
