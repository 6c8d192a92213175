// tedious (Node.js) against the listener that com_servidor.sh started: results with
// parameters, a server error's number, a procedure's OUTPUT parameter and RETURN value,
// and a transaction begun and rolled back by the driver.
const { Connection, Request, TYPES } = require('tedious');

const falhas = [];
function esperar(nome, obtido, esperado) {
  if (JSON.stringify(obtido) !== JSON.stringify(esperado))
    falhas.push(`${nome}: ${JSON.stringify(obtido)} em vez de ${JSON.stringify(esperado)}`);
}

const conexao = new Connection({
  server: '127.0.0.1',
  authentication: { type: 'default', options: { userName: 'sa', password: '' } },
  options: { port: Number(process.env.ZOLVEK_TDS_PORTA), database: 'Teste', encrypt: false },
});

function pedir(metodo, texto, parametros = [], saidas = []) {
  return new Promise((resolver, recusar) => {
    const linhas = [];
    const valores = {};
    let status;
    const r = new Request(texto, (erro) => (erro ? recusar(erro) : resolver({ linhas, valores, status })));
    for (const [nome, tipo, valor, opcoes] of parametros) r.addParameter(nome, tipo, valor, opcoes);
    for (const [nome, tipo] of saidas) r.addOutputParameter(nome, tipo);
    r.on('row', (colunas) => linhas.push(colunas.map((c) => c.value)));
    r.on('returnValue', (nome, valor) => { valores[nome] = valor; });
    r.on('doneProc', (n, mais, s) => { status = s; });
    conexao[metodo](r);
  });
}
const sql = (...a) => pedir('execSql', ...a);
const transacao = (metodo) => new Promise((ok, falha) => conexao[metodo]((e) => (e ? falha(e) : ok())));

conexao.on('connect', async (erro) => {
  if (erro) {
    console.error('não conectou:', erro.message);
    process.exit(1);
  }
  try {
    await sql('CREATE TABLE ItemJs (id int PRIMARY KEY, nome nvarchar(20), qtd decimal(9,3))');
    await sql('INSERT INTO ItemJs VALUES (@id, @nome, @qtd)',
      [['id', TYPES.Int, 1], ['nome', TYPES.NVarChar, 'Açúcar'], ['qtd', TYPES.Decimal, 2.5, { precision: 9, scale: 3 }]]);
    const r = await sql('SELECT id, nome, qtd FROM ItemJs WHERE id = @id', [['id', TYPES.Int, 1]]);
    esperar('linhas', r.linhas, [[1, 'Açúcar', 2.5]]);

    try {
      await sql('SELECT * FROM NaoExiste');
      falhas.push('a tabela inexistente não falhou');
    } catch (e) {
      esperar('número do erro', e.number, 208);
    }

    await sql('CREATE PROCEDURE DobroJs @n int, @r int OUTPUT AS BEGIN SET @r = @n * 2; RETURN 3 END');
    const p = await pedir('callProcedure', 'DobroJs', [['n', TYPES.Int, 21]], [['r', TYPES.Int]]);
    esperar('OUTPUT', p.valores.r, 42);
    esperar('RETURN', p.status, 3);

    // sp_prepare once, sp_execute twice, sp_unprepare
    const preparado = new Request('SELECT nome FROM ItemJs WHERE id = @id', () => {});
    preparado.addParameter('id', TYPES.Int);
    const nomes = [];
    preparado.on('row', (colunas) => nomes.push(colunas[0].value));
    await new Promise((ok) => { preparado.once('prepared', ok); conexao.prepare(preparado); });
    for (const id of [1, 2]) {
      await new Promise((ok) => { preparado.once('requestCompleted', ok); conexao.execute(preparado, { id }); });
    }
    await new Promise((ok) => { preparado.once('requestCompleted', ok); conexao.unprepare(preparado); });
    esperar('preparada', nomes, ['Açúcar']);

    await transacao('beginTransaction');
    await sql("INSERT INTO ItemJs VALUES (2, 'desfeito', 0)");
    await transacao('rollbackTransaction');
    const c = await sql('SELECT COUNT(*) FROM ItemJs');
    esperar('depois do ROLLBACK', c.linhas, [[1]]);
  } catch (e) {
    falhas.push('falha: ' + e.message);
  }
  conexao.close();
  if (falhas.length) {
    console.error(falhas.join('\n'));
    process.exit(1);
  }
  console.log('tedious: 6 verificações passaram');
});
conexao.connect();
